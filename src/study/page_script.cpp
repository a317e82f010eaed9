#include "study/page_script.h"

namespace quorvex::study {

namespace {

QString jsStringArray(const QStringList& items) {
    qsizetype size = 2;
    for (const QString& item : items) {
        size += item.size() + 3;
    }
    QString out;
    out.reserve(size + size / 16);
    out += u'[';
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += u',';
        }
        out += jsStringLiteral(items.at(i));
    }
    out += u']';
    return out;
}

void appendUnicodeEscape(QString& out, char16_t unit) {
    static const char digits[] = "0123456789abcdef";
    out += QLatin1String("\\u");
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += QLatin1Char(digits[(unit >> shift) & 0xf]);
    }
}

}  // namespace

QString jsStringLiteral(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8 + 2);
    out += u'"';
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
            case u'"':
                out += QLatin1String("\\\"");
                break;
            case u'\\':
                out += QLatin1String("\\\\");
                break;
            case u'\n':
                out += QLatin1String("\\n");
                break;
            case u'\r':
                out += QLatin1String("\\r");
                break;
            case u'\t':
                out += QLatin1String("\\t");
                break;
            default:
                if (c < 0x20 || c == 0x2028 || c == 0x2029) {
                    appendUnicodeEscape(out, c);
                } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                           QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                    out += QChar(c);
                    out += text.at(++i);
                } else if (QChar::isSurrogate(c)) {
                    // A lone half of a pair: kept as the same code unit, written so that no conversion of
                    // the script text can replace it.
                    appendUnicodeEscape(out, c);
                } else {
                    out += QChar(c);
                }
        }
    }
    out += u'"';
    return out;
}

QString rewriteLocationCalls(QString html) {
    // "window.location.href(" contains "location.href(", so one replacement covers both forms.
    html.replace(QLatin1String("location.href("), QLatin1String("location.assign("));
    return html;
}

QString appendFragmentsScript(const QStringList& fragments) {
    return QLatin1String(
               "(function(a){var b=document.body||document.documentElement;"
               "for(var i=0;i<a.length;i++)b.insertAdjacentHTML('beforeend',a[i]);return a.length;})(") +
           jsStringArray(fragments) + QLatin1String(");");
}

QString readControlsScript(const QStringList& ids) {
    return QLatin1String(
               "(function(ids){var r={};for(var i=0;i<ids.length;i++){var e=document.getElementById(ids[i]);"
               "if(!e){r[ids[i]]=[false,false,''];continue;}"
               "var v=('value' in e)?e.value:e.getAttribute('value');"
               "r[ids[i]]=[true,e.checked===true,v==null?'':String(v)];}return r;})(") +
           jsStringArray(ids) + QLatin1String(");");
}

QString setColorScript(const QStringList& ids, const QString& color) {
    return QLatin1String(
               "(function(ids,c){for(var i=0;i<ids.length;i++){var e=document.getElementById(ids[i]);"
               "if(e)e.style.color=c;}})(") +
           jsStringArray(ids) + u',' + jsStringLiteral(color) + QLatin1String(");");
}

QString setCheckedScript(const QString& id, bool checked) {
    return QLatin1String("(function(e){if(e)e.checked=") + QLatin1String(checked ? "true" : "false") +
           QLatin1String(";})(document.getElementById(") + jsStringLiteral(id) + QLatin1String("));");
}

QString setValueScript(const QString& id, const QString& value) {
    return QLatin1String("(function(e,v){if(e)e.value=v;})(document.getElementById(") + jsStringLiteral(id) +
           QLatin1String("),") + jsStringLiteral(value) + QLatin1String(");");
}

QString setBodyFontSizeScript(int pixels) {
    // The old engine took a bare number as pixels; a standards-mode page needs the unit.
    return QStringLiteral("if(document.body)document.body.style.fontSize='%1px';").arg(pixels);
}

}  // namespace quorvex::study
