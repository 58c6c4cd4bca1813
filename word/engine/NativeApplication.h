// The native engine behind the Word layer: application, documents, ranges over our composer.
#pragma once

#include <memory>

#include "word/WordApi.h"

namespace plenwick::word::engine {

std::shared_ptr<Application> MakeNativeApplication();

}  // namespace plenwick::word::engine
