#include "help/HelpViewer.h"

#include "help/HelpBrowser.h"

#include <QAction>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>

namespace lumeye::help {

HelpViewer::HelpViewer(std::unique_ptr<ChmFile> file, QWidget* parent) : QMainWindow(parent) {
    fileTitle_ = QString::fromStdString(file->title());
    if (fileTitle_.isEmpty()) fileTitle_ = QStringLiteral("Help");
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumeye-32.png")));

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    Back->setShortcut(QKeySequence::Back);
    Forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    Forward->setShortcut(QKeySequence::Forward);
    Contents = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Contents"));

    browser_ = new HelpBrowser(std::move(file), this);
    setCentralWidget(browser_);

    Back->setEnabled(false);
    Forward->setEnabled(false);
    connect(Back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(Forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(Contents, &QAction::triggered, browser_, &HelpBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, Back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, Forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpViewer::showPageTitle);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);

    showPageTitle();
    resize(760, 620);
    browser_->setFocus();
}

void HelpViewer::showPageTitle() {
    const QString page = browser_->documentTitle();
    setWindowTitle(page.isEmpty() ? fileTitle_ : fileTitle_ + QStringLiteral(" - ") + page);
}

}  // namespace lumeye::help
