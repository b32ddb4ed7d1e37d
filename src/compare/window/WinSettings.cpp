#include "compare/window/WinSettings.h"

#include "env/NameBytes.h"
#include "env/yIni.h"

#include <QVariant>
#include <cmath>
#include <limits>
#include <variant>

namespace {
enum class Use { Always, Plain, Launch };

// A folder path: kept to its bytes (see LoadPath).
struct PathField {
    QString WinSettings::*member;
};
using Field = std::variant<qint32 WinSettings::*, QString WinSettings::*, PathField>;

struct Key {
    const QString& section;
    const char* name;
    Use use;
    Field field;
};

// In the order the keys are written.
const Key kKeys[] = {
    {kLayoutSection, "LEFT", Use::Plain, &WinSettings::left},
    {kLayoutSection, "TOP", Use::Plain, &WinSettings::top},
    {kLayoutSection, "WIDTH", Use::Plain, &WinSettings::width},
    {kLayoutSection, "HEIGHT", Use::Plain, &WinSettings::height},
    {kLayoutSection, "ROOT1", Use::Plain, PathField{&WinSettings::root1}},
    {kLayoutSection, "PATH1", Use::Plain, PathField{&WinSettings::path1}},
    {kLayoutSection, "ROOT2", Use::Plain, PathField{&WinSettings::root2}},
    {kLayoutSection, "PATH2", Use::Plain, PathField{&WinSettings::path2}},
    {kLayoutSection, "DIR_WD", Use::Plain, &WinSettings::paneW},
    {kLayoutSection, "DIR_HI", Use::Plain, &WinSettings::paneH},
    {kLayoutSection, "CLS_WD", Use::Plain, &WinSettings::colWidths},
    {kLayoutSection, "DIR_WD_R", Use::Launch, &WinSettings::paneW},
    {kLayoutSection, "DIR_HI_R", Use::Launch, &WinSettings::paneH},
    {kLayoutSection, "CLS_WD_R", Use::Launch, &WinSettings::colWidths},
    {kLayoutSection, "DISP", Use::Always, &WinSettings::disp},
    {kRuleSection, "CRITERION", Use::Always, &WinSettings::criterion},
    {kRuleSection, "TOLERANCE", Use::Always, &WinSettings::tolerance},
    {kRuleSection, "MOVES", Use::Always, &WinSettings::moves},
    {kToolSection, "CMD", Use::Always, &WinSettings::cmd},
    {kFilterSection, "EXCLUDE", Use::Always, &WinSettings::exclude},
    {kFilterSection, "INCLUDE", Use::Always, &WinSettings::include},
};

// A number read back as a 32-bit integer; a damaged value outside that
// range reads as the default 0 rather than stopping the whole layout.
qint32 ToLong(const QVariant& v)
{
    double d = std::nearbyint(v.toDouble());
    if (!(d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max()))
        return 0;
    return qint32(d);
}

// A path whose bytes are not all text (a name from another system) cannot
// be written as it is: the key then holds the path as shown, with \xHH for
// such bytes, and the key with "_BYTES" added holds its exact bytes in hex.
// A path of text is written as it is. The bytes are taken only while the
// shown text still matches them, so a path edited by hand wins.
QString BytesKey(const QString& key) { return key + QStringLiteral("_BYTES"); }

QString LoadPath(yIni& ini, const QString& key, const QString& def)
{
    const QString shown = ini.vGtVal(key, def).toString();
    const QString hex = ini.vGtVal(BytesKey(key), QString()).toString();
    if (hex.isEmpty())
        return shown;
    const QString exact = DecodeName(QByteArray::fromHex(hex.toLatin1()));
    return ShownName(exact) == shown ? exact : shown;
}

void SavePath(yIni& ini, const QString& key, const QString& path)
{
    const bool bytes = HasEscapedByte(path);
    ini.SetVal(key, bytes ? ShownName(path) : path);
    if (bytes)
        ini.SetVal(BytesKey(key), QString::fromLatin1(EncodeName(path).toHex()));
    else if (!ini.vGtVal(BytesKey(key), QString()).toString().isEmpty())
        ini.SetVal(BytesKey(key), QString());
}

bool InUse(const Key& k, const QString& section, bool launched)
{
    if (k.section != section)
        return false;
    switch (k.use) {
    case Use::Always: return true;
    case Use::Plain: return !launched;
    case Use::Launch: return launched;
    }
    return false;
}

// Calls `f` with the name and field of each key of the section in use.
template <typename F>
void ForKeys(const QString& section, bool launched, F f)
{
    for (const Key& k : kKeys)
        if (InUse(k, section, launched))
            f(QString::fromUtf8(k.name), k.field);
}
} // namespace

void LoadSection(yIni& ini, const QString& section, bool launched, WinSettings& s)
{
    ini.GetGtx(section);
    ForKeys(section, launched, [&](const QString& key, const Field& field) {
        if (auto* n = std::get_if<qint32 WinSettings::*>(&field))
            s.*(*n) = ToLong(ini.vGtVal(key, 0));
        else if (auto* p = std::get_if<PathField>(&field))
            s.*p->member = LoadPath(ini, key, s.*p->member);
        else
            s.*std::get<QString WinSettings::*>(field) = ini.vGtVal(key, QString()).toString();
    });
}

void SaveSection(yIni& ini, const QString& section, bool launched, const WinSettings& s)
{
    ini.GetGtx(section);
    ForKeys(section, launched, [&](const QString& key, const Field& field) {
        if (auto* n = std::get_if<qint32 WinSettings::*>(&field))
            ini.SetVal(key, s.**n);
        else if (auto* p = std::get_if<PathField>(&field))
            SavePath(ini, key, s.*p->member);
        else
            ini.SetVal(key, s.*std::get<QString WinSettings::*>(field));
    });
    ini.SetGtx();
}
