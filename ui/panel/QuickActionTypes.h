#pragma once

#include "FinderServiceProgressModel.h"

#include <QtQml/qqml.h>

namespace zurbo {

// The quick action's run model as a QML type, declared here so that its
// library needs Qt Core only.
struct FinderServiceProgressModelForeign {
    Q_GADGET
    QML_FOREIGN(zurbo::FinderServiceProgressModel)
    QML_NAMED_ELEMENT(FinderServiceProgressModel)
    QML_UNCREATABLE("made by the quick action's panel for its run")
};

} // namespace zurbo
