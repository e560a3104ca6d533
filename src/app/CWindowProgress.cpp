#include "CWindowProgress.h"

#include "Texts.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <cstdint>

CWindowProgress::CWindowProgress(QProgressBar* bar, QLabel* percent, QWidget* abort)
    : bar_(bar), percent_(percent), abortButton_(abort)
{
}

void CWindowProgress::Begin(int range)
{
    range_ = range;
    lastPercent_ = -1;
    abort_ = false;
    if (bar_ != nullptr) {
        bar_->setRange(0, range > 0 ? range : 0);
        bar_->setValue(0);
    }
    SetCaption(0);
    Set(0);
    if (abortButton_ != nullptr)
        abortButton_->setEnabled(true);
    for (QWidget* w : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(percent_), abortButton_}) {
        if (w != nullptr)
            w->show();
    }
    if (running_)
        running_(true);
}

void CWindowProgress::Set(int position)
{
    if (range_ == 0)
        return;
    if (bar_ != nullptr)
        bar_->setValue(position);
    // Wide enough that no card size overflows the product.
    const std::uint64_t done = position > 0 ? static_cast<std::uint64_t>(position) : 0;
    const int percent = static_cast<int>(done * 100u / static_cast<std::uint64_t>(static_cast<unsigned>(range_)));
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        if (percent_ != nullptr)
            percent_->setText(QString::asprintf("%d %%", lastPercent_));
    }
}

void CWindowProgress::SetCaption(int textId)
{
    SetCaptionText(textId != 0 ? LoadText(textId) : std::string(), false);
}

void CWindowProgress::SetCaptionText(const std::string& text, bool)
{
    if (bar_ == nullptr)
        return;
    // The bar reads %p, %v and %m in its text as its own figures; a
    // zero-width space keeps a file name's percent sign as it is.
    QString format = QString::fromStdString(text);
    format.replace(QLatin1Char('%'), QStringLiteral("%\u200B"));
    bar_->setFormat(format);
    bar_->setTextVisible(!text.empty());
}

bool CWindowProgress::Pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return abort_;
}

void CWindowProgress::End()
{
    for (QWidget* w : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(percent_), abortButton_}) {
        if (w != nullptr)
            w->hide();
    }
    if (abortButton_ != nullptr)
        abortButton_->setEnabled(false);
    if (running_)
        running_(false);
}

void CWindowProgress::ShowWaiting(bool on)
{
    if (bar_ == nullptr)
        return;
    if (on) {
        bar_->setRange(0, 0);
        bar_->setTextVisible(false);
        bar_->show();
    } else {
        bar_->hide();
        bar_->setRange(0, 1);
    }
}
