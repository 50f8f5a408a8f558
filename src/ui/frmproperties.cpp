#include "frmproperties.h"

#include "decoration.h"
#include "modapp.h"

#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int baseWidth = 7215;
// One caption line more than the design's four (the encoding), and what lies below it
// one line lower.
constexpr int extraLine = 360;
constexpr int baseHeight = 4320 + extraLine;
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

// The ascent of text's one line as it is drawn: a Chinese caption takes its glyphs
// from another font than a Latin path, and the two fonts' ascents differ.
qreal lineAscent(const QLabel *label)
{
    QTextLayout layout(label->text().isEmpty() ? u" "_s : label->text(), label->font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return line.isValid() ? line.ascent() : QFontMetricsF(label->font()).ascent();
}

// Puts value's text on the same baseline as caption's. Both keep their top; the one
// with the smaller ascent is pushed down by the difference inside its own margin.
void alignBaselines(QLabel *caption, QLabel *value)
{
    const qreal captionAscent = lineAscent(caption);
    const qreal valueAscent = lineAscent(value);
    for (QLabel *label : {caption, value}) {
        const qreal own = label == caption ? captionAscent : valueAscent;
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setContentsMargins(0, qRound(qMax(captionAscent, valueAscent) - own), 0, 0);
        label->adjustSize();
    }
}

// Cuts label's text in the middle to fit width, keeping both ends (the folder it starts
// in, the file name it ends with); the whole text becomes its tooltip.
void elideToWidth(QLabel *label, int width)
{
    const QString text = label->text();
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, width);
    if (shown == text)
        return;
    label->setText(shown);
    label->setToolTip(text);
    label->adjustSize();
}

} // namespace

frmProperties::frmProperties(QWidget *owner, const PropertiesInfo &info)
    : m_scale(modApp::fontScale(font()))
{
    // The picture and the title's shadow are not read out.
    Decoration::leaveOutOf(*this);
    setObjectName(u"frmProperties"_s);
    modApp::prepareDialog(this, owner, u"属性"_s, QSize(twips(baseWidth), twips(baseHeight)));

    auto *image = new QLabel(this);
    image->setObjectName(u"Image1"_s);
    image->setGeometry(twips(240), twips(600), twips(630), twips(705)); // 42 by 47 pixels
    image->setPixmap(QIcon(u":/icons/properties.svg"_s).pixmap(image->size()));
    Decoration::mark(image);

    QFont titleFont(u"Arial"_s);
    titleFont.setPointSizeF(21.75 * m_scale);
    titleFont.setBold(true);
    // The shadow is made first so that the grey title, made after it, lies on top.
    // Texts too long for the dialog's designed width are cut in the middle rather than
    // widening the dialog.
    const int right = twips(baseWidth - margin);
    QLabel *shadow = addLabel(u"lblShadow", info.title, 1110, 750);
    shadow->setFont(titleFont);
    elideToWidth(shadow, right - shadow->x());
    shadow->adjustSize();
    setTextColour(shadow, Qt::white);
    Decoration::mark(shadow);
    QLabel *title = addLabel(u"lblApp", info.title, 1080, 720);
    title->setFont(titleFont);
    elideToWidth(title, right - shadow->x());
    title->adjustSize();
    setTextColour(title, QColor(0x80, 0x80, 0x80));
    title->setAccessibleName(info.title);
    title->setAccessibleDescription(u"文件名"_s);

    addRule(u"Line1", 1440);
    const struct {
        const char16_t *caption, *captionText, *value;
        QString valueText;
        int top;
    } rows[] = {
        {u"Label3", u"路径：", u"lblPath", info.path, 1800},
        {u"Label1", u"项：", u"lblSections", info.sections, 2160},
        {u"Label2", u"名称：", u"lblKeys", info.keys, 2520},
        {u"Label4", u"状态：", u"lblStatus", info.status, 2880},
        {u"Label5", u"编码：", u"lblEncoding", info.encoding, 2880 + extraLine},
    };
    for (const auto &row : rows) {
        QLabel *caption = addLabel(row.caption, QString::fromUtf16(row.captionText), 720, row.top);
        QLabel *value = addLabel(row.value, row.valueText, 2040, row.top);
        elideToWidth(value, right - value->x());
        alignBaselines(caption, value);
        // Read as one: the caption, then the whole value, even where it is cut.
        caption->setBuddy(value);
        value->setAccessibleName(caption->text() + row.valueText);
    }
    addRule(u"Line2", 3360 + extraLine);

    auto *ok = new QPushButton(u"确定"_s, this);
    ok->setObjectName(u"cmdOK"_s);
    ok->setGeometry(modApp::twipsRect(2400, 3600 + extraLine, 1095, 375, m_scale));
    ok->setFont(modApp::dialogButtonFont(m_scale));
    // Enter presses the button that has the focus, as on every desktop.
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();

    modApp::centreOnScreen(this, owner);
}

QLabel *frmProperties::addLabel(const char16_t *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QString::fromUtf16(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->move(twips(left), twips(top));
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
    rule->setGeometry(twips(ruleLeft), twips(top), twips(ruleRight - ruleLeft), 1);
}
