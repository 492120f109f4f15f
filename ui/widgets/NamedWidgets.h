#pragma once
// Small helpers for building windows in code: every control gets its given
// object name, so tests and the help find it by that name.
#include <QLabel>
#include <QLatin1String>
#include <QString>

namespace quaverly::ui {

/// Gives `widget` the object name `name` and answers it.
template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

/// A named label that shows its text as plain text (song titles may hold '<').
inline QLabel* label(const QString& text, const char* name, QWidget* parent)
{
    auto* l = named(new QLabel(text, parent), name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace quaverly::ui
