#pragma once

#include "commandhost.h"

#include <cstdio>

// For benchmarks that run commands: answers Yes to every question, cancels every
// dialog, prints errors and ignores everything else.
class YesHost : public CommandHost
{
public:
    bool showOpenDialog(FileDialogState &) override { return false; }
    bool showSaveDialog(FileDialogState &) override { return false; }
    bool askYesNo(const QString &, const QString &, Icon) override { return true; }
    void showError(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
    void clearClipboard() override {}
    void setClipboardText(const QString &) override {}
    void editNodeLabel(int) override {}
    void editKeyName(int, qsizetype) override {}
    void focusTree() override {}
    void focusKeyList(int) override {}
    bool runValueEditor(ValueEditRequest &) override { return false; }
    void showProperties(const PropertiesInfo &) override {}
    void closeMainWindow() override {}

protected:
    void beginBusy() override {}
    void endBusy() override {}
};
