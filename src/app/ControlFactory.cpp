#include "ControlFactory.h"

#include "CGroupBoxStyle.h"
#include "ControlText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace {

QLabel* MakeLabel(const CDialogControl& c, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    Qt::Alignment h = c.Has(kStateCentre) ? Qt::AlignHCenter : c.Has(kStateRight) ? Qt::AlignRight : Qt::AlignLeft;
    label->setAlignment(h | Qt::AlignVCenter);
    if (c.Has(kStateSunken))
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QListWidget* MakeList(const CDialogControl& c, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setViewMode(QListView::IconMode);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setWrapping(true);
    // Arranged from the left: items run down the first column, then the next.
    list->setFlow(c.Has(kStateAlignLeft) ? QListView::TopToBottom : QListView::LeftToRight);
    return list;
}

QWidget* MakeWidget(const CDialogControl& c, QWidget* parent)
{
    switch (c.kind) {
    case ControlKind::Button: {
        auto* button = new QPushButton(parent);
        // No button is pressed by Enter: there is no default button.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::Group: {
        // The title on the frame's line, so that the controls placed under
        // it lie inside the frame.
        auto* group = new QGroupBox(parent);
        auto* style = new CGroupBoxStyle;
        style->setParent(group);
        group->setStyle(style);
        return group;
    }
    case ControlKind::Label:
    case ControlKind::Field:
        return MakeLabel(c, parent);
    case ControlKind::Picture: {
        auto* frame = new QFrame(parent);
        if (c.Has(kStateBlack)) {
            frame->setAutoFillBackground(true);
            QPalette p = frame->palette();
            p.setColor(QPalette::Window, Qt::black);
            frame->setPalette(p);
        }
        return frame;
    }
    case ControlKind::Combo: {
        auto* combo = new QComboBox(parent);
        for (const std::string& item : c.items)
            combo->addItem(QString::fromStdString(item));
        return combo;
    }
    case ControlKind::List:
        return MakeList(c, parent);
    case ControlKind::Check:
        return new QCheckBox(parent);
    case ControlKind::Radio:
        return new QRadioButton(parent);
    case ControlKind::Progress: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    }
    case ControlKind::TrackBar: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setTickPosition(c.Has(kStateNoTicks) ? QSlider::NoTicks : QSlider::TicksBelow);
        return slider;
    }
    }
    return new QWidget(parent);
}

} // namespace

QWidget* CreateTemplateControl(const CDialogControl& control, const QString& caption, QWidget* parent)
{
    QWidget* w = MakeWidget(control, parent);
    if (!caption.isEmpty())
        SetControlText(w, caption);
    w->setEnabled(!control.Has(kStateDisabled));
    if (control.Has(kStateHidden))
        w->hide();
    return w;
}
