#include "filecommands.h"

#include "commandhost.h"
#include "filenamecheck.h"
#include "inidocument.h"
#include "inifile.h"
#include "propertiesinfo.h"

using namespace Qt::StringLiterals;

namespace {
QString appTitle() { return u"Tarnwick"_s; }
QString readFailureText() { return u"无法读取文件 \"%1\"：\n%2"_s; }
QString writeFailureText() { return u"无法保存文件 \"%1\"：\n%2"_s; }
}

FileCommands::FileCommands(IniDocument &doc, CommandHost &host, FileDialogState &dialogs)
    : m_doc(doc), m_host(host), m_dialogs(dialogs)
{
}

QString FileCommands::dialogFilter()
{
    return u"配置设置 (*.ini)|*.ini|全部文件 (*.*)|*.*"_s;
}

void FileCommands::prepareDialog(const QString &title)
{
    m_dialogs.title = title;
    m_dialogs.filter = dialogFilter();
}

void FileCommands::mnuFileNew_Click()
{
    {
        // Letting go of a large document takes a while too.
        const CommandHost::BusyGuard busy(m_host);
        m_doc.clear(IniDocument::untitledName());
        m_doc.setEncoding(defaultNewFileEncoding());
        m_doc.setStatusTexts(IniDocument::untitledName(), m_doc.sectionCountText());
        m_doc.setPath(IniDocument::untitledPath());
    }
    m_host.focusKeyList(0);
}

void FileCommands::mnuFileOpen_Click()
{
    prepareDialog(u"打开INI文件"_s);
    if (!m_host.showOpenDialog(m_dialogs))
        return;
    if (read(m_dialogs.fileName) == ReadResult::Ok)
        m_dialogs.fileName.clear();
}

void FileCommands::mnuFileSave_Click()
{
    if (m_doc.hasFile()) {
        // A file that disappeared since it was read is simply created anew.
        write(m_doc.path());
        return;
    }
    saveThroughDialog(u"Save INI file"_s);
}

void FileCommands::mnuFileSaveAs_Click()
{
    saveThroughDialog(u"保存INI文件"_s);
}

void FileCommands::saveThroughDialog(const QString &title)
{
    prepareDialog(title);
    if (!m_host.showSaveDialog(m_dialogs))
        return;
    if (writeAndReadBack(m_dialogs.fileName))
        m_dialogs.fileName.clear();
}

void FileCommands::mnuFileExit_Click()
{
    m_host.closeMainWindow();
}

void FileCommands::mnuViewRefresh_Click()
{
    if (m_doc.hasFile())
        read(m_doc.path());
}

void FileCommands::mnuViewProperties_Click()
{
    m_host.showProperties(buildPropertiesInfo(m_doc));
}

bool FileCommands::openPath(const QString &path, bool nameBytesSurvive, std::optional<TextEncoding> encoding)
{
    // read() judges the text; whether the system's bytes survived is known only here.
    if (!nameBytesSurvive)
        return nameReachesFile(path, readFailureText(), false);
    return read(path, encoding) != ReadResult::Failed;
}

bool FileCommands::nameReachesFile(const QString &path, const QString &failureText,
                                   bool nameBytesSurvive)
{
    if (nameBytesSurvive && filePathSurvives(path))
        return true;
    m_host.showError(appTitle(), failureText.arg(path, undecodableNameReason()));
    return false;
}

ReadResult FileCommands::read(const QString &path, std::optional<TextEncoding> encoding)
{
    if (!nameReachesFile(path, readFailureText()))
        return ReadResult::Failed;
    QString error;
    const ReadResult result =
        m_host.whileBusy([&] { return ReadIniFile(m_doc, path, &error, encoding); });
    // A missing file leaves an empty document of that name, which Save creates later;
    // the callers keep the dialog's name as they do after any read that did not complete.
    if (result == ReadResult::Failed)
        m_host.showError(appTitle(), readFailureText().arg(path, error));
    return result;
}

bool FileCommands::writeAndReadBack(const QString &path)
{
    ReadBack readBack;
    if (!write(path, &readBack))
        return false;
    QString error;
    const ReadResult result =
        m_host.whileBusy([&] { return readBackWritten(m_doc, path, readBack, &error); });
    if (result == ReadResult::Failed)
        m_host.showError(appTitle(), readFailureText().arg(path, error));
    return result == ReadResult::Ok;
}

bool FileCommands::write(const QString &path, ReadBack *readBack)
{
    if (!nameReachesFile(path, writeFailureText()))
        return false;
    QString error;
    if (m_host.whileBusy([&] { return WriteIniFile(m_doc, path, &error, readBack); }))
        return true;
    m_host.showError(appTitle(), writeFailureText().arg(path, error));
    return false;
}
