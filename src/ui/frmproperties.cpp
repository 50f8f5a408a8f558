#include "frmproperties.h"

#include "modapp.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;
using modApp::Twips;

namespace {

constexpr int baseWidth = 7215;
constexpr int baseHeight = 4320;
// The rules run from 360 to 6840 twips; a wider dialog keeps their margins.
constexpr int ruleLeft = 360;
constexpr int ruleRight = 6840;
constexpr int margin = ruleLeft;

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

frmProperties::frmProperties(QWidget *owner, const PropertiesInfo &info)
{
    setObjectName(u"frmProperties"_s);
    modApp::PrepareDialog(this, owner, u"属性"_s, QSize(Twips(baseWidth), Twips(baseHeight)));

    auto *image = new QLabel(this);
    image->setObjectName(u"Image1"_s);
    image->setGeometry(Twips(240), Twips(600), 42, 47);
    image->setPixmap(QIcon(u":/icons/properties.svg"_s).pixmap(QSize(42, 47)));

    QFont titleFont(u"Arial"_s);
    titleFont.setPointSizeF(21.75);
    titleFont.setBold(true);
    // The shadow is made first so that the grey title, made after it, lies on top.
    QLabel *shadow = addLabel(u"lblShadow", info.title, 1110, 750);
    shadow->setFont(titleFont);
    shadow->adjustSize();
    setTextColour(shadow, Qt::white);
    QLabel *title = addLabel(u"lblApp", info.title, 1080, 720);
    title->setFont(titleFont);
    title->adjustSize();
    setTextColour(title, QColor(0x80, 0x80, 0x80));

    addRule(u"Line1", 1440);
    addLabel(u"Label3", u"路径："_s, 720, 1800);
    addLabel(u"lblPath", info.path, 2040, 1800);
    addLabel(u"Label1", u"项："_s, 720, 2160);
    addLabel(u"lblSections", info.sections, 2040, 2160);
    addLabel(u"Label2", u"名称："_s, 720, 2520);
    addLabel(u"lblKeys", info.keys, 2040, 2520);
    addLabel(u"Label4", u"状态："_s, 720, 2880);
    addLabel(u"lblStatus", info.status, 2040, 2880);
    addRule(u"Line2", 3360);

    auto *ok = new QPushButton(u"确定"_s, this);
    ok->setObjectName(u"cmdOK"_s);
    ok->setGeometry(modApp::TwipsRect(2400, 3600, 1095, 375));
    ok->setFont(modApp::DialogButtonFont());
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();

    fitWidth(owner);
    modApp::CentreOnScreen(this, owner);
}

QLabel *frmProperties::addLabel(const char16_t *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QString::fromUtf16(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->move(Twips(left), Twips(top));
    label->adjustSize();
    return label;
}

void frmProperties::addRule(const char16_t *name, int top)
{
    auto *rule = new QFrame(this);
    rule->setObjectName(QString::fromUtf16(name));
    rule->setFrameShape(QFrame::NoFrame);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    rule->setPalette(palette);
    rule->setGeometry(Twips(ruleLeft), Twips(top), Twips(ruleRight - ruleLeft), 1);
}

void frmProperties::fitWidth(QWidget *owner)
{
    int needed = Twips(baseWidth);
    const QList<QLabel *> labels = findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    for (const QLabel *label : labels)
        needed = qMax(needed, label->geometry().right() + 1 + Twips(margin));

    QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        needed = qMin(needed, qMax(Twips(baseWidth), screen->availableGeometry().width()));
    if (needed == width())
        return;

    setFixedSize(needed, height());
    const QList<QFrame *> rules = {findChild<QFrame *>(u"Line1"_s), findChild<QFrame *>(u"Line2"_s)};
    for (QFrame *rule : rules)
        rule->resize(needed - Twips(ruleLeft) - Twips(baseWidth - ruleRight), 1);
    // A path cut off by the screen's edge can still be read whole.
    auto *path = findChild<QLabel *>(u"lblPath"_s);
    if (path->geometry().right() >= needed)
        path->setToolTip(path->text());
}
