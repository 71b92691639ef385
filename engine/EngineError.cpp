#include "PDFEngine.h"

#include <utility>

namespace zurbo {

namespace {

std::string describe(PDFEngine::EngineError::Kind kind, const std::string& message)
{
    using Kind = PDFEngine::EngineError::Kind;
    switch (kind) {
    case Kind::compressionFailed:
        return message.empty() ? "El PDF se ha puesto digno y no se ha dejado comprimir." : message;
    case Kind::documentUnreadable:
        return "Este PDF viene con las tripas raras y ZURBO no consigue abrirlo.";
    case Kind::systemFilterUnavailable:
        return "El motor PDF de ZURBO se ha ido a fumar. Reinicia la app y volvemos al ataque.";
    case Kind::outputMissing:
        return "El motor terminó, pero el PDF nuevo se fue a por tabaco.";
    case Kind::sourceNotRegular:
        return "Eso no es un archivo normal: es una tubería, un cacharro o una carpeta. Aquí "
               "solo entran PDFs de verdad.";
    case Kind::sourceChanged:
        return "El original ha cambiado mientras lo comprimíamos. No tocamos nada; vuelve a "
               "probar.";
    case Kind::destinationExists:
        return message + " ya existe y no lo vamos a pisar. Usa --force si de verdad quieres "
                         "machacarlo.";
    case Kind::diskFull:
        return "No queda espacio en el disco para el PDF comprimido. Libera sitio y vuelve a "
               "probar.";
    case Kind::inflateBudgetExceeded:
        return "Este PDF se hincha como un sapo al abrirlo: por dentro ocupa una barbaridad. "
               "ZURBO no se lo traga; lo dejamos como estaba.";
    case Kind::passwordRequired:
        return "Este PDF va con candado. Dinos la contraseña y lo comprimimos.";
    case Kind::passwordIncorrect:
        return "Con esa contraseña el candado ni se inmuta. Prueba otra.";
    case Kind::engineStalled:
        return "El motor se ha quedado pillado con este PDF y lo hemos parado. El original sigue "
               "como estaba.";
    case Kind::protectionWouldBeLost:
        return "Este PDF va protegido y ese motor le quitaría la protección. Sin --engine, o con "
               "--engine native, la conservamos.";
    }
    return {};
}

} // namespace

PDFEngine::EngineError::EngineError(Kind kind, std::string message)
    : m_kind(kind), m_message(std::move(message)), m_description(describe(m_kind, m_message))
{
}

PDFEngine::EngineError PDFEngine::EngineError::compressionFailed(std::string message)
{
    return EngineError(Kind::compressionFailed, std::move(message));
}

PDFEngine::EngineError PDFEngine::EngineError::documentUnreadable()
{
    return EngineError(Kind::documentUnreadable, {});
}

PDFEngine::EngineError PDFEngine::EngineError::systemFilterUnavailable()
{
    return EngineError(Kind::systemFilterUnavailable, {});
}

PDFEngine::EngineError PDFEngine::EngineError::outputMissing()
{
    return EngineError(Kind::outputMissing, {});
}

PDFEngine::EngineError PDFEngine::EngineError::sourceNotRegular()
{
    return EngineError(Kind::sourceNotRegular, {});
}

PDFEngine::EngineError PDFEngine::EngineError::sourceChanged()
{
    return EngineError(Kind::sourceChanged, {});
}

PDFEngine::EngineError PDFEngine::EngineError::destinationExists(std::string fileName)
{
    return EngineError(Kind::destinationExists, std::move(fileName));
}

PDFEngine::EngineError PDFEngine::EngineError::diskFull()
{
    return EngineError(Kind::diskFull, {});
}

PDFEngine::EngineError PDFEngine::EngineError::inflateBudgetExceeded()
{
    return EngineError(Kind::inflateBudgetExceeded, {});
}

PDFEngine::EngineError PDFEngine::EngineError::passwordRequired()
{
    return EngineError(Kind::passwordRequired, {});
}

PDFEngine::EngineError PDFEngine::EngineError::passwordIncorrect()
{
    return EngineError(Kind::passwordIncorrect, {});
}

PDFEngine::EngineError PDFEngine::EngineError::engineStalled()
{
    return EngineError(Kind::engineStalled, {});
}

PDFEngine::EngineError PDFEngine::EngineError::protectionWouldBeLost()
{
    return EngineError(Kind::protectionWouldBeLost, {});
}

} // namespace zurbo
