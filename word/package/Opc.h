// The Open Packaging Conventions over a ZIP package: content types, relationships, part names,
// and loading the XML parts safely.
#pragma once

#include "word/package/ContentTypes.h"
#include "word/package/PartNames.h"
#include "word/package/Relationships.h"
#include "word/package/SafeXml.h"
