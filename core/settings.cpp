#include "core/settings.h"

#include "platform/settings/regstore.h"

namespace kv {

namespace reg {

namespace {

QString numbered(const char* prefix, int n, const char* suffix)
{
    return QLatin1String(prefix) + QString::number(n) + QLatin1String(suffix);
}

}  // namespace

QString printfontname(int font) { return numbered("printfont", font, "name"); }
QString printfontsize(int font) { return numbered("printfont", font, "size"); }
QString printfontbold(int font) { return numbered("printfont", font, "bold"); }
QString printfontitalic(int font) { return numbered("printfont", font, "italic"); }
QString printmarg(int margin) { return numbered("printmarg", margin, ""); }

const QList<Default>& firststartdefaults()
{
    static const QList<Default> list = {
        {HTMLstart, defaults::HTMLstart},
        {HTMLstop, defaults::HTMLstop},
        {exportpfad, defaults::exportpfad},
        {importpfad, defaults::importpfad},
        {wizard, defaults::wizard},
        {suchtreffer, defaults::suchtreffer},
        {zuletztgesucht, defaults::zuletztgesucht},
        {aenderrezept, defaults::aenderrezept},
    };
    return list;
}

const QList<Default>& printdefaults()
{
    static const QList<Default> list = [] {
        QList<Default> l;
        l.append({printspalten, defaults::printspalten});
        l.append({printfont0size, defaults::printfont0size});
        l.append({printfont1size, defaults::printfont1size});
        l.append({printfont2size, defaults::printfont2size});
        l.append({printfont3size, defaults::printfont3size});
        l.append({printfont4size, defaults::printfont4size});
        for (int i = 0; i < 5; ++i)
            l.append({printfontbold(i), defaults::printfontbold});
        for (int i = 0; i < 5; ++i)
            l.append({printfontitalic(i), defaults::printfontitalic});
        for (int i = 0; i < 5; ++i)
            l.append({printfontname(i), defaults::printfontname});
        for (int i = 0; i < 4; ++i)
            l.append({printmarg(i), defaults::printmarg});
        l.append({printtitleorder, defaults::printtitleorder});
        l.append({printfootorder, defaults::printfootorder});
        l.append({printbooklet, defaults::printbooklet});
        l.append({printorient, defaults::printorient});
        return l;
    }();
    return list;
}

}  // namespace reg

QString getreg(const QString& name)
{
    return settings::getregvalue(name);
}

bool savereg(const QString& name, const QString& value)
{
    return settings::setregvalue(name, value) == QLatin1String("0");
}

QString kochbuchprefix()
{
    return settings::getregvalue(reg::loadeddir) + QStringLiteral("kelvor");
}

void setdefaults()
{
    if (!getreg(reg::wizard).isEmpty())
        return;
    for (const reg::Default& d : reg::firststartdefaults())
        savereg(d.name, d.value);
}

void defaultprint()
{
    for (const reg::Default& d : reg::printdefaults())
        savereg(d.name, d.value);
}

}  // namespace kv
