#include "app/font_alias.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace qdm::ui {
namespace {

struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

const FcChar8* Bytes(const char* utf8) {
    return reinterpret_cast<const FcChar8*>(utf8);
}

FcValue StringValue(const char* utf8) {
    FcValue value;
    value.type = FcTypeString;
    value.u.s = Bytes(utf8);
    return value;
}

// The face fontconfig would draw `family` with, as the rules of the configuration decide.
Pattern Resolve(FcConfig* config, const QByteArray& family) {
    Pattern request(FcPatternCreate());
    FcPatternAddString(request.get(), FC_FAMILY, Bytes(family.constData()));
    FcConfigSubstitute(config, request.get(), FcMatchPattern);
    FcDefaultSubstitute(request.get());
    FcResult result = FcResultNoMatch;
    return Pattern(FcFontMatch(config, request.get(), &result));
}

bool DrawsChinese(FcPattern* face) {
    FcCharSet* chars = nullptr;
    return FcPatternGetCharSet(face, FC_CHARSET, 0, &chars) == FcResultMatch &&
           FcCharSetHasChar(chars, U'宋') && FcCharSetHasChar(chars, U'体');
}

// The application font set, created empty when there is none yet (adding a file that does
// not exist creates it).
FcFontSet* ApplicationFonts(FcConfig* config) {
    if (FcFontSet* set = FcConfigGetFonts(config, FcSetApplication)) return set;
    FcConfigAppFontAddFile(config, Bytes("/nonexistent/mked-font"));
    return FcConfigGetFonts(config, FcSetApplication);
}

}  // namespace

QString RegisterFontAlias(const QString& alias) {
    FcConfig* config = FcConfigGetCurrent();
    const QByteArray name = alias.toUtf8();
    const Pattern match = config ? Resolve(config, name) : nullptr;
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch ||
        FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch ||
        !DrawsChinese(match.get()))
        return {};
    const QString real = QString::fromUtf8(reinterpret_cast<const char*>(family));
    if (real == alias) return {};
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);

    int faces = 0;
    Pattern face(FcFreeTypeQuery(file, index, nullptr, &faces));
    FcFontSet* set = ApplicationFonts(config);
    if (!face || !set) return {};
    // The alias becomes the face's first name, the one Qt lists; its own names follow. Qt
    // would list the name in the user's language instead, so the languages go.
    FcPatternAdd(face.get(), FC_FAMILY, StringValue(name.constData()), FcFalse);
    FcPatternDel(face.get(), FC_FAMILYLANG);
    if (!FcFontSetAdd(set, face.get())) return {};
    face.release();  // the set owns it now
    return real;
}

}  // namespace qdm::ui
