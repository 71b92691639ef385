#include "PDFEngine.h"

#include <gtest/gtest.h>

namespace zurbo {
namespace {

using EngineError = PDFEngine::EngineError;

TEST(EngineErrorTest, DescriptionsAreTheUserFacingTexts)
{
    const std::tuple<const char*, EngineError, std::string> rows[] = {
        {"compressionFailedQuietly", EngineError::compressionFailed(""),
         "El PDF se ha puesto digno y no se ha dejado comprimir."},
        {"compressionFailedWithTheToolsWords", EngineError::compressionFailed("gs: no"), "gs: no"},
        {"documentUnreadable", EngineError::documentUnreadable(),
         "Este PDF viene con las tripas raras y ZURBO no consigue abrirlo."},
        {"systemFilterUnavailable", EngineError::systemFilterUnavailable(),
         "El motor PDF de ZURBO se ha ido a fumar. Reinicia la app y volvemos al ataque."},
        {"outputMissing", EngineError::outputMissing(),
         "El motor terminó, pero el PDF nuevo se fue a por tabaco."},
        {"sourceChanged", EngineError::sourceChanged(),
         "El original ha cambiado mientras lo comprimíamos. No tocamos nada; vuelve a probar."},
        {"inflateBudgetExceeded", EngineError::inflateBudgetExceeded(),
         "Este PDF se hincha como un sapo al abrirlo: por dentro ocupa una barbaridad. ZURBO no se "
         "lo traga; lo dejamos como estaba."}};
    for (const auto& [name, error, text] : rows) {
        EXPECT_EQ(error.what(), text) << name;
    }
}

} // namespace
} // namespace zurbo
