// One QApplication for the whole test run, on the offscreen platform unless
// another is asked for.
#include <QApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        // The offscreen platform's screen is as large as
        // TESSARO_TEST_SCREEN says in device pixels (WIDTHxHEIGHT), else
        // 1920x1200: a desktop's screen, not the platform's 800x600.
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        if (platform.isEmpty() || platform == "offscreen") {
            QByteArray screen = qgetenv("TESSARO_TEST_SCREEN");
            if (screen.isEmpty())
                screen = "1920x1200";
            const QList<QByteArray> size = screen.split('x');
            config_ = QDir::temp().filePath(QStringLiteral("tessaro-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
            QFile file(config_);
            if (size.size() == 2 && file.open(QIODevice::WriteOnly)) {
                file.write("{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": " + size[0] +
                           ", \"height\": " + size[1] + ", \"logicalDpi\": 96, \"dpr\": 1}]}");
                file.close();
                qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config_.toLocal8Bit());
            } else {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
        }
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
        if (!config_.isEmpty())
            QFile::remove(config_);
    }

private:
    int argc_ = 1;
    char name_[10] = "app_tests";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
    QString config_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

} // namespace
