#pragma once

#include "commandhost.h"

class IniDocument;

// The figures of the properties dialog for doc: the file name as title (or
// "Untitled.ini"), the path (or "无法获取"), the number of sections, the number of keys
// in all lists including the root's (keys before the first header), each count
// followed by "个", the status text and the name of the document's encoding. Counts are
// 64-bit, so no document overflows them.
PropertiesInfo buildPropertiesInfo(const IniDocument &doc);
