#include "MessageBox.h"

#include "Interaction.h"
#include "Texts.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <utility>
#include <vector>

namespace {

constexpr unsigned kTypeMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kDefMask = 0xF00;

// Button sets by type, in their conventional order (the default button is
// counted in this order), with the result code of each button.
using ButtonSet = std::vector<std::pair<QMessageBox::StandardButton, int>>;

ButtonSet ButtonsOf(unsigned type)
{
    switch (type) {
    case kMbOkCancel:
        return {{QMessageBox::Ok, kIdOk}, {QMessageBox::Cancel, kIdCancel}};
    case 2: // abort, retry, ignore
        return {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}};
    case 3: // yes, no, cancel
        return {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}, {QMessageBox::Cancel, kIdCancel}};
    case kMbYesNo:
        return {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}};
    case 5: // retry, cancel
        return {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, kIdCancel}};
    default:
        return {{QMessageBox::Ok, kIdOk}};
    }
}

QMessageBox::Icon IconOf(unsigned icon)
{
    switch (icon) {
    case kMbIconError:
        return QMessageBox::Critical;
    case kMbIconQuestion:
        return QMessageBox::Question;
    case kMbIconWarning:
        return QMessageBox::Warning;
    case kMbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(unsigned flags, const QString& text, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(QString::fromStdString(AppTitle()));
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(IconOf(flags & kIconMask));
    ButtonSet buttons = ButtonsOf(flags & kTypeMask);
    QMessageBox::StandardButtons all;
    for (const auto& b : buttons)
        all |= b.first;
    box->setStandardButtons(all);
    std::size_t def = (flags & kDefMask) >> 8;
    if (def >= buttons.size())
        def = 0;
    box->setDefaultButton(buttons[def].first);
    return box;
}

int MessageBoxResult(const QMessageBox& box)
{
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr)
        return kIdCancel;
    QMessageBox::StandardButton which = box.standardButton(clicked);
    for (unsigned type = 0; type <= 5; ++type) {
        for (const auto& b : ButtonsOf(type)) {
            if (b.first == which)
                return b.second;
        }
    }
    return kIdCancel;
}
