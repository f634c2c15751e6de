#include "ui/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallQtLanguage(int language) {
    QLocale::setDefault(language == 2 ? QLocale(QLocale::Chinese, QLocale::China)
                                      : QLocale(QLocale::English, QLocale::UnitedStates));
    static QTranslator* installed = nullptr;
    if (installed != nullptr) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language != 2) return;
    auto* translator = new QTranslator;
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator)) {
        installed = translator;
    } else {
        delete translator;
    }
}
