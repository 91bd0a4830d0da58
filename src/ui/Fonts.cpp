#include "ui/Fonts.h"

#include "ui/Palette.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QPalette>
#include <QWidget>

namespace lumeye::ui {
namespace {
// Design faces and the installed Debian families that stand in for them
// where the face itself is not installed:
// Liberation is metric-compatible with Arial and Times New Roman; DejaVu Sans
// descends from the same design brief as Verdana and Tahoma; EB Garamond is a
// Garamond revival.
const QHash<QString, QString>& substitutions() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("garamond"), QStringLiteral("EB Garamond")},
        {QStringLiteral("tahoma"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("verdana"), QStringLiteral("DejaVu Sans")},
    };
    return table;
}

void setRoles(QWidget* widget, std::initializer_list<QPalette::ColorRole> roles, const QColor& colour) {
    QPalette p = widget->palette();
    for (QPalette::ColorRole role : roles) p.setColor(role, colour);
    widget->setPalette(p);
}
}  // namespace

void installFontSubstitutions() {
    for (auto it = substitutions().cbegin(); it != substitutions().cend(); ++it)
        QFont::insertSubstitution(it.key(), it.value());
}

QString substituteFamily(const QString& face) {
    // Asked for every label of every chart: fontconfig is asked once a face.
    static QHash<QString, QString> chosen;
    auto it = chosen.constFind(face);
    if (it == chosen.cend())
        it = chosen.insert(face, QFontDatabase::hasFamily(face) ? face : substitutions().value(face.toLower(), face));
    return *it;
}

QFont designFont(const QString& face, double points, bool bold) {
    QFont font(substituteFamily(face));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QColor qbColor(int index) {
    // These numbers give blue 1 and red 4; the display's index order has them
    // the other way round.
    static constexpr int kStandardIndex[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
    return QColor(kStandardColours[kStandardIndex[index & 15]]);
}

void setBackColor(QWidget* widget, const QColor& colour) {
    setRoles(widget, {QPalette::Window, QPalette::Button, QPalette::Base}, colour);
    widget->setAutoFillBackground(true);
}

void setForeColor(QWidget* widget, const QColor& colour) {
    setRoles(widget, {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}, colour);
}

}  // namespace lumeye::ui
