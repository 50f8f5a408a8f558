#include "frmchangedata.h"

#include "modapp.h"
#include "textbox.h"
#include "valuekind.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QAbstractItemView>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Typed text passes the Number filter when every character does, so a key or an input
// method that gives no text passes.
bool textPassesDigitFilter(const QString &text)
{
    return std::all_of(text.begin(), text.end(), passesDigitFilter);
}

bool isClipboardShortcut(QKeyEvent *event)
{
    return event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy)
        || event->matches(QKeySequence::Cut);
}

} // namespace

frmChangeData::frmChangeData(QWidget *owner, const ValueEditRequest &request,
                             FileDialogState &dialogs,
                             std::function<bool(FileDialogState &)> showOpenDialog)
    : m_dialogs(dialogs), m_showOpenDialog(std::move(showOpenDialog)),
      m_valueKind(request.EditValueKind), m_scale(modApp::fontScale(font()))
{
    setObjectName(u"frmChangeData"_s);
    modApp::prepareDialog(this, owner, u"查看/修改数值"_s, QSize(twips(5775), twips(3135)));
    createControls(request);
    loadRequest(request);
    describeControls();
    modApp::centreOnScreen(this, owner);
}

void frmChangeData::createControls(const ValueEditRequest &request)
{
    m_label1 = new QLabel(u"名称："_s, this);
    m_label1->setObjectName(u"Label1"_s);
    m_label1->move(twips(240), twips(600));
    m_label1->adjustSize();

    m_txtName = TextBox::create(this, request.EditKeyName.size());
    m_txtName->setObjectName(u"txtName"_s);
    m_txtName->setGeometry(twipsRect(240, 960, 5055, 285));

    m_label2 = new QLabel(u"数值："_s, this);
    m_label2->setObjectName(u"Label2"_s);
    m_label2->move(twips(240), twips(1440));
    m_label2->adjustSize();

    m_txtData = TextBox::create(this, request.EditKeyData.size());
    m_txtData->setObjectName(u"txtData"_s);
    m_txtData->setGeometry(twipsRect(240, 1800, 4455, 285));

    m_cmbBoolean = new QComboBox(this);
    m_cmbBoolean->setObjectName(u"cmbBoolean"_s);
    m_cmbBoolean->setGeometry(twipsRect(240, 1800, 1455, 300));
    // Its list opens in a window of its own, which would take the desktop's colours.
    m_cmbBoolean->view()->setPalette(palette());

    m_cmdBrowse = new QPushButton(u"..."_s, this);
    m_cmdBrowse->setObjectName(u"cmdBrowse"_s);
    m_cmdBrowse->setGeometry(twipsRect(4800, 1800, 495, 255));

    m_cmdOK = new QPushButton(u"确定"_s, this);
    m_cmdOK->setObjectName(u"cmdOK"_s);
    m_cmdOK->setGeometry(twipsRect(2880, 2400, 1095, 375));

    m_cmdCancel = new QPushButton(u"取消"_s, this);
    m_cmdCancel->setObjectName(u"cmdCancel"_s);
    m_cmdCancel->setGeometry(twipsRect(4200, 2400, 1095, 375));

    // No button reacts to Enter: a QDialog would otherwise make one its default.
    for (QPushButton *button : {m_cmdBrowse, m_cmdOK, m_cmdCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_cmdOK->setFont(modApp::dialogButtonFont(m_scale));
    m_cmdCancel->setFont(modApp::dialogButtonFont(m_scale));

    setTabOrder(m_txtData, m_txtName);
    setTabOrder(m_txtName, m_cmbBoolean);
    setTabOrder(m_cmbBoolean, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_cmdBrowse);

    modApp::SetFlatEdge(m_txtName);
    modApp::SetFlatEdge(m_txtData);
    modApp::SetFlatEdge(m_cmdBrowse);

    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cmdBrowse, &QPushButton::clicked, this, &frmChangeData::cmdBrowse_Click);
}

void frmChangeData::loadRequest(const ValueEditRequest &request)
{
    m_cmbBoolean->addItem(u"True"_s);
    m_cmbBoolean->addItem(u"False"_s);
    TextBox::setText(m_txtName, request.EditKeyName);
    TextBox::setText(m_txtData, request.EditKeyData);

    const bool isBoolean = m_valueKind == ValueKind::Boolean;
    m_txtData->setVisible(!isBoolean);
    m_cmbBoolean->setVisible(isBoolean);
    m_cmdBrowse->setVisible(m_valueKind == ValueKind::Path);
    if (isBoolean)
        m_cmbBoolean->setCurrentIndex(request.EditKeyData == u"True"_s ? 0 : 1);
    else if (m_valueKind == ValueKind::Path)
        m_txtData->resize(twips(4575), m_txtData->height());
    else if (m_valueKind == ValueKind::Number || m_valueKind == ValueKind::Text)
        m_txtData->resize(twips(5055), m_txtData->height());

    if (m_valueKind == ValueKind::Number) {
        m_txtData->installEventFilter(this);
        m_txtData->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    TextBox::selectAll(m_txtData);
    if (isBoolean)
        m_txtName->setFocus();
    else
        m_txtData->setFocus();
}

void frmChangeData::describeControls()
{
    // Each caption names the control below it: the data caption whichever control the
    // kind shows. "..." would be read as three dots.
    m_label1->setBuddy(m_txtName);
    m_label2->setBuddy(m_valueKind == ValueKind::Boolean ? static_cast<QWidget *>(m_cmbBoolean)
                                                         : m_txtData);
    m_txtName->setAccessibleName(u"名称"_s);
    m_txtData->setAccessibleName(u"数值"_s);
    if (m_valueKind == ValueKind::Number)
        m_txtData->setAccessibleDescription(u"只能输入数字 0 到 9"_s);
    else if (m_valueKind == ValueKind::Path)
        m_txtData->setAccessibleDescription(u"文件的路径，可用“浏览”按钮选择"_s);
    m_cmbBoolean->setAccessibleName(u"数值"_s);
    m_cmbBoolean->setAccessibleDescription(u"True 或 False"_s);
    m_cmdBrowse->setAccessibleName(u"浏览"_s);
    m_cmdBrowse->setAccessibleDescription(u"选择一个文件，把它的路径填入数值"_s);
}

ValueEditRequest frmChangeData::result() const
{
    ValueEditRequest edited;
    edited.EditKeyName = TextBox::text(m_txtName);
    edited.EditKeyData =
        m_valueKind == ValueKind::Boolean ? m_cmbBoolean->currentText() : TextBox::text(m_txtData);
    edited.EditValueKind = m_valueKind;
    return edited;
}

void frmChangeData::cmdBrowse_Click()
{
    m_dialogs.title = u"浏览..."_s;
    m_dialogs.filter = u"全部文件 (*.*)|*.*"_s;
    if (!m_showOpenDialog || !m_showOpenDialog(m_dialogs))
        return;
    TextBox::setText(m_txtData, QDir::toNativeSeparators(m_dialogs.fileName));
    m_dialogs.fileName.clear();
}

void frmChangeData::keyPressEvent(QKeyEvent *event)
{
    // QDialog would reject on Escape and click a default button on Enter; this dialog
    // binds neither key.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool frmChangeData::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtData && m_valueKind == ValueKind::Number)
        return filterNumberEvent(event);
    return QDialog::eventFilter(watched, event);
}

// Number data takes only typed digits and Backspace. Every other way text could arrive
// (characters, clipboard keys, input methods, the context menu's Paste, the X11
// middle-button paste, drops) is stopped here; keys that type nothing pass.
bool frmChangeData::filterNumberEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isClipboardShortcut(key)) {
            // Claim the key so no shortcut elsewhere fires; the key press is then dropped.
            key->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            break;
        }
        if (isClipboardShortcut(key))
            return true;
        return !textPassesDigitFilter(key->text());
    }
    case QEvent::InputMethod: {
        // An input method may pass plain digits through; anything else it composes or
        // commits is dropped, and so is a commit that replaces text around the cursor.
        auto *input = static_cast<QInputMethodEvent *>(event);
        const QString commit = input->commitString();
        if (!input->preeditString().isEmpty() || input->replacementLength() != 0)
            return true;
        return !textPassesDigitFilter(commit);
    }
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        event->ignore();
        return true;
    case QEvent::ContextMenu: {
        auto *context = static_cast<QContextMenuEvent *>(event);
        QMenu *menu = TextBox::createStandardContextMenu(m_txtData);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // Drop whatever would insert text: Paste and the control-character submenu.
        // Older Qt names no action, so Paste is also known by its (translated) caption.
        const QString pasteCaption = QCoreApplication::translate("QLineEdit", "&Paste");
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions) {
            if (action->objectName() == u"edit-paste"_s || action->menu()
                || action->text().section(u'\t', 0, 0) == pasteCaption)
                menu->removeAction(action);
        }
        menu->popup(context->globalPos());
        return true;
    }
    default:
        return false;
    }
}
