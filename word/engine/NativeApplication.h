// The native engine behind the Word layer: application, documents, ranges over our composer.
#pragma once

#include <memory>

#include "word/WordApi.h"

namespace plenwick::word::engine {

// Documents it adds are binders as options asks (plain joins by default).
std::shared_ptr<Application> MakeNativeApplication(BinderOptions options = {});

}  // namespace plenwick::word::engine
