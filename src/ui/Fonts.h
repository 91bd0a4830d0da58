#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace lumeye::ui {

// Maps the faces the forms are designed with (Garamond, Tahoma, Times New
// Roman, MS Sans Serif, Arial, verdana) to installed Debian fonts.
void installFontSubstitutions();

// The design face itself when fontconfig has it, else the installed family
// that stands in for it.
QString substituteFamily(const QString& face);

QFont designFont(const QString& face, double points, bool bold = false);

// Colours of the 16-colour standard palette (0 black ... 12 light red ... 15 white).
QColor qbColor(int index);

void setBackColor(QWidget* widget, const QColor& colour);
void setForeColor(QWidget* widget, const QColor& colour);

}  // namespace lumeye::ui
