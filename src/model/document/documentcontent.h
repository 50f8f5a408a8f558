#pragma once

#include "keylist.h"
#include "textencoding.h"

#include <QString>

#include <memory>
#include <vector>

// A section: its node's text and its key list.
struct Section
{
    QString name;
    KeyList keys;
};

// The sections, key lists and encoding of a document: what a reader builds (before it
// replaces a document in one step) and a writer writes. IniDocument owns one.
struct DocumentContent
{
    KeyList rootKeys;                               // keys before the first header
    std::vector<std::unique_ptr<Section>> sections; // in file order
    TextEncoding encoding = defaultNewFileEncoding();
    // The encoding was named by the user rather than worked out from the bytes.
    bool encodingGiven = false;
};
