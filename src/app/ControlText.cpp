#include "ControlText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace {

// Buttons treat "&" as a mnemonic marker; doubling it shows it literally.
QString EscapeMnemonic(const QString& text)
{
    QString s = text;
    return s.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString UnescapeMnemonic(const QString& text)
{
    QString s = text;
    return s.replace(QLatin1String("&&"), QLatin1String("&"));
}

} // namespace

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(EscapeMnemonic(text));
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(EscapeMnemonic(text));
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
}

QString ControlText(const QWidget* control)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return UnescapeMnemonic(button->text());
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return UnescapeMnemonic(group->title());
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return QString();
}
