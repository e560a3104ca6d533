// Terminal progress and Ctrl-C as Abort.
#include "TerminalProgress.h"

#include "Texts.h"

#include <signal.h>
#include <unistd.h>

#include <string>

namespace {

volatile sig_atomic_t g_interrupted = 0;
struct sigaction g_previous;
int g_installed = 0;

void OnInterrupt(int) { g_interrupted = 1; }

void InstallHandler()
{
    if (g_installed++ > 0)
        return;
    g_interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previous);
}

void RemoveHandler()
{
    if (g_installed == 0 || --g_installed > 0)
        return;
    sigaction(SIGINT, &g_previous, nullptr);
}

std::string Duration(double seconds)
{
    if (seconds < 0 || seconds > 359999)
        seconds = 0;
    const int s = static_cast<int>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return text;
}

} // namespace

CInterruptScope::CInterruptScope() { InstallHandler(); }

CInterruptScope::~CInterruptScope() { RemoveHandler(); }

CTerminalProgress::CTerminalProgress(std::FILE* err) : err_(err), draw_(err != nullptr && isatty(fileno(err))) {}

CTerminalProgress::~CTerminalProgress()
{
    if (running_)
        End();
}

void CTerminalProgress::Begin(int range)
{
    if (!running_)
        InstallHandler();
    running_ = true;
    range_ = range;
    aborted_ = false;
    lastPercent_ = -1;
    caption_.clear();
    counted_ = false;
    start_ = lastDraw_ = std::chrono::steady_clock::now();
    Draw(0);
}

void CTerminalProgress::SetCaption(int textId)
{
    SetCaptionText(textId != 0 ? LoadText(textId) : std::string(), false);
}

void CTerminalProgress::SetCaptionText(const std::string& text, bool counted)
{
    const bool samePhase = counted && counted_;
    caption_ = text;
    counted_ = counted;
    lastPercent_ = -1;
    // Its figures changed: drawn again in place at the next position.
    if (samePhase)
        return;
    // The new phase starts on a line of its own.
    if (draw_ && running_)
        std::fprintf(err_, "\n");
    start_ = lastDraw_ = std::chrono::steady_clock::now();
}

void CTerminalProgress::Set(int position)
{
    // A conversion written as it is made may give a frame or two more than
    // its duration foretold: the bar stops at its end.
    if (range_ > 0)
        Draw(position < range_ ? position : range_);
}

bool CTerminalProgress::Pump()
{
    if (g_interrupted) {
        g_interrupted = 0;
        aborted_ = true;
    }
    return aborted_;
}

void CTerminalProgress::End()
{
    if (draw_ && running_)
        std::fprintf(err_, "\n");
    if (running_)
        RemoveHandler();
    running_ = false;
    range_ = 0;
}

void CTerminalProgress::Draw(int position)
{
    if (!draw_)
        return;
    const auto now = std::chrono::steady_clock::now();
    const int percent = static_cast<int>(static_cast<unsigned>(position) * 100u / static_cast<unsigned>(range_));
    // Redrawn when the percentage changes, and at most a few times a second.
    if (percent == lastPercent_ && now - lastDraw_ < std::chrono::milliseconds(250))
        return;
    lastPercent_ = percent;
    lastDraw_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0 ? position / elapsed : 0.0;
    const double left = rate > 0 ? (range_ - position) / rate : 0.0;
    if (counted_) {
        std::fprintf(err_, "\r%s   ", caption_.c_str());
        std::fflush(err_);
        return;
    }
    const std::string text = FormatText(kIdsCliProgress, percent, rate, Duration(left).c_str());
    std::fprintf(err_, "\r%s%s%s   ", caption_.c_str(), caption_.empty() ? "" : "  ", text.c_str());
    std::fflush(err_);
}
