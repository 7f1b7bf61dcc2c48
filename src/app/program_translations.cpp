#include "app/program_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <array>
#include <memory>

namespace {

// Installed for the whole run; replaced by a later call.
std::array<std::unique_ptr<QTranslator>, 2> installed;

std::unique_ptr<QTranslator> loaded(const QLocale &locale, const QString &name,
                                    const QString &folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

} // namespace

bool installProgramTranslations(const QLocale &locale)
{
    for (auto &translator : installed) {
        if (translator)
            QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    installed[0] = loaded(locale, QStringLiteral("qtbase"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    installed[1] = loaded(locale, QStringLiteral("varnokterm"), QStringLiteral(":/i18n"));
    return installed[1] != nullptr;
}
