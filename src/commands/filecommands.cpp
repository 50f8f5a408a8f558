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
QString changedOnDiskText()
{
    return u"文件 \"%1\" 在打开之后已被其他程序修改。\n要用现在的内容替换这些修改吗？"_s;
}
QString leftoverBackupText()
{
    return u"文件 \"%1\" 上次保存时没有完成，原来的内容保存在备份文件中：\n%2\n"
           u"请检查文件的内容；需要时用备份恢复，不再需要时删除备份。"_s;
}
}

FileCommands::FileCommands(IniDocument &doc, CommandHost &host, FileDialogState &dialogs)
    : m_doc(doc), m_host(host), m_dialogs(dialogs), m_stamp(std::make_unique<FileStamp>())
{
}

FileCommands::~FileCommands() = default;

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
    if (read(m_dialogs.fileName, IfMissing::Empty) == ReadResult::Ok)
        m_dialogs.fileName.clear();
}

void FileCommands::mnuFileSave_Click()
{
    if (m_doc.hasFile()) {
        // A file that disappeared since it was read is simply created anew.
        const QString path = m_doc.path();
        if (diskChangeSince(path, *m_stamp) == DiskChange::Changed
            && !m_host.askYesNo(appTitle(), changedOnDiskText().arg(path), CommandHost::Icon::Question))
            return;
        FileStamp written;
        write(path, nullptr, &written);
        // A failed save in place that put the old bytes back moved the file's times too.
        if (written.known())
            *m_stamp = written;
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
        read(m_doc.path(), IfMissing::Fail);
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
    return read(path, IfMissing::Empty, encoding) != ReadResult::Failed;
}

bool FileCommands::nameReachesFile(const QString &path, const QString &failureText,
                                   bool nameBytesSurvive)
{
    if (nameBytesSurvive && filePathSurvives(path))
        return true;
    m_host.showError(appTitle(), failureText.arg(path, undecodableNameReason()));
    return false;
}

ReadResult FileCommands::read(const QString &path, IfMissing ifMissing,
                              std::optional<TextEncoding> encoding)
{
    if (!nameReachesFile(path, readFailureText()))
        return ReadResult::Failed;
    QString error;
    const ReadResult result = m_host.whileBusy(
        [&] { return ReadIniFile(m_doc, path, &error, m_stamp.get(), ifMissing, encoding); });
    // A missing file leaves an empty document of that name, which Save creates later;
    // the callers keep the dialog's name as they do after any read that did not complete.
    if (result == ReadResult::Failed)
        m_host.showError(appTitle(), readFailureText().arg(path, error));
    else
        reportLeftoverBackups(path);
    return result;
}

void FileCommands::reportLeftoverBackups(const QString &path)
{
    const QStringList backups = leftoverBackups(path);
    if (!backups.isEmpty())
        m_host.showError(appTitle(), leftoverBackupText().arg(path, backups.join(u'\n')));
}

bool FileCommands::writeAndReadBack(const QString &path)
{
    ReadBack readBack;
    FileStamp written;
    const bool ok = write(path, &readBack, &written);
    // The stamp follows the document: the written file's once the document is that file,
    // and the document's own file's whenever that was the one written.
    const bool ownFile = path == m_doc.path();
    if (!ok) {
        if (written.known() && ownFile)
            *m_stamp = written;
        return false;
    }
    QString error;
    const ReadResult result =
        m_host.whileBusy([&] { return readBackWritten(m_doc, path, readBack, &error, &written); });
    if (result != ReadResult::Failed || ownFile)
        *m_stamp = written;
    if (result == ReadResult::Failed)
        m_host.showError(appTitle(), readFailureText().arg(path, error));
    return result == ReadResult::Ok;
}

bool FileCommands::write(const QString &path, ReadBack *readBack, FileStamp *written)
{
    if (!nameReachesFile(path, writeFailureText()))
        return false;
    QString error;
    if (m_host.whileBusy([&] { return WriteIniFile(m_doc, path, &error, readBack, written); }))
        return true;
    m_host.showError(appTitle(), writeFailureText().arg(path, error));
    return false;
}
