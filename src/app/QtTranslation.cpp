#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

// The translator of the running application; it goes with the application.
QPointer<QTranslator>& Translator()
{
    static QPointer<QTranslator> translator;
    return translator;
}

} // namespace

bool SetQtLanguage(int language)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return language == 0;
    QPointer<QTranslator>& translator = Translator();
    if (translator != nullptr) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    if (language == 0)
        return true;
    // "qt_ru" names Qt's catalogues of every module (qtbase_ru and others).
    translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
