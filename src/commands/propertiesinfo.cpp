#include "propertiesinfo.h"

#include "inidocument.h"
#include "inifile.h"

using namespace Qt::StringLiterals;

PropertiesInfo buildPropertiesInfo(const IniDocument &doc)
{
    PropertiesInfo info;
    if (doc.hasFile()) {
        info.title = FileNameFromPath(doc.path());
        info.path = doc.path();
        info.status = u"文件保存到硬盘"_s;
    } else {
        info.title = IniDocument::untitledName();
        info.path = u"无法获取"_s;
        info.status = u"配置设置文件"_s;
    }
    info.sections = QString::number(qint64(doc.sectionCount())) + u"个"_s;
    info.keys = QString::number(doc.keyTotal()) + u"个"_s;
    info.encoding = EncodingShownAs(doc.encoding());
    return info;
}
