#pragma once

#include "CompressorModel.h"
#include "JobListModel.h"

#include <QtQml/qqml.h>

namespace zurbo {

// The queue's models as QML types, declared here so that queue/ needs Qt Core only.

struct CompressorModelForeign {
    Q_GADGET
    QML_FOREIGN(zurbo::CompressorModel)
    QML_NAMED_ELEMENT(CompressorModel)
    QML_UNCREATABLE("the application owns the one model")
};

struct JobListModelForeign {
    Q_GADGET
    QML_FOREIGN(zurbo::JobListModel)
    QML_NAMED_ELEMENT(JobListModel)
    QML_UNCREATABLE("owned by CompressorModel")
};

} // namespace zurbo
