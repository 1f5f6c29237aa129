#include "editor/ui/find_session.h"

#include <algorithm>

#include "editor/gbk.h"
#include "editor/replace.h"
#include "editor/ui/edit_area.h"
#include "editor/ui/unit_text.h"
#include "editor/utf8.h"
#include "uikit/prompter.h"

namespace qdm::ui {
namespace {

const QString kCaption = QStringLiteral("查找和替换");

// Names the character GBK cannot hold and the field it stands in.
QString Refusal(const QString& field, const QString& text, qsizetype at) {
    const char32_t cp = text.toUcs4().value(QStringView(text).left(at).toUcs4().size());
    const QString shown = QString::fromUcs4(&cp, 1);
    const QString name = QString::fromStdString(CodepointName(cp));
    return QStringLiteral("%1中的字符“%2”（%3）不能用 GBK 表示").arg(field, shown, name);
}

}  // namespace

FindSession::FindSession(IEditArea& area, IPrompter& prompter)
    : m_area(area), m_prompter(prompter) {}

void FindSession::TakeRange() {
    m_area.SyncSelectionToModel();
    m_area.Model().GetSelection(m_rangeStart, m_rangeEnd);
}

void FindSession::ClampRange() {
    const int32_t len = m_area.Model().Length();
    m_rangeStart = std::min(m_rangeStart, len);
    m_rangeEnd = std::clamp(m_rangeEnd, m_rangeStart, len);
}

std::optional<CTextFinder> FindSession::Prepare(const FindRequest& request,
                                                std::string* replacement) {
    const Encoded pattern = EncodeChars(request.pattern);
    if (pattern.refusedAt >= 0) {
        m_prompter.Message(Refusal(QStringLiteral("查找内容"), request.pattern, pattern.refusedAt),
                           kCaption);
        return std::nullopt;
    }
    if (replacement) {
        const Encoded with = EncodeChars(request.replacement);
        if (with.refusedAt >= 0) {
            m_prompter.Message(
                Refusal(QStringLiteral("替换内容"), request.replacement, with.refusedAt), kCaption);
            return std::nullopt;
        }
        *replacement = with.bytes;
    }
    m_last = request;
    if (pattern.bytes.empty()) return std::nullopt;
    return CTextFinder(pattern.bytes, {request.matchCase, request.wholeWord});
}

void FindSession::NotFound(const FindRequest& request) {
    emit status(QStringLiteral("找不到“%1”").arg(request.pattern));
}

bool FindSession::FindNext(const FindRequest& request) {
    const std::optional<CTextFinder> finder = Prepare(request, nullptr);
    if (!finder) return false;
    CEditBox& model = m_area.Model();
    m_area.SyncSelectionToModel();
    int32_t start = 0, end = 0;
    model.GetSelection(start, end);
    size_t lo = 0, hi = static_cast<size_t>(model.Length());
    if (request.inSelection) {
        ClampRange();
        lo = static_cast<size_t>(m_rangeStart);
        hi = static_cast<size_t>(m_rangeEnd);
    }
    const std::string_view text = model.Text();
    size_t at = CTextFinder::npos;
    if (request.backward)
        at = finder->Previous(text, lo, std::clamp(static_cast<size_t>(start), lo, hi));
    else
        at = finder->Next(text, std::clamp(static_cast<size_t>(end), lo, hi), hi);
    if (at == CTextFinder::npos) {
        NotFound(request);
        return false;
    }
    EditBatch batch(m_area);
    model.SetSelection(static_cast<int32_t>(at), static_cast<int32_t>(at + finder->Length()));
    model.ScrollToCaret();
    emit status(QString());
    return true;
}

bool FindSession::Replace(const FindRequest& request) {
    std::string with;
    const std::optional<CTextFinder> finder = Prepare(request, &with);
    if (!finder) return false;
    m_area.SyncSelectionToModel();
    bool replaced;
    {
        EditBatch batch(m_area);
        replaced = ReplaceSelectedMatch(m_area.Model(), *finder, with);
    }
    if (replaced && request.inSelection)
        m_rangeEnd += static_cast<int32_t>(with.size()) - static_cast<int32_t>(finder->Length());
    // Going up, the search starts before the replacement, which must not be found again.
    if (replaced && request.backward) {
        EditBatch batch(m_area);
        int32_t s = 0, e = 0;
        m_area.Model().GetSelection(s, e);
        const int32_t at = s - static_cast<int32_t>(with.size());
        m_area.Model().SetSelection(at, at);
    }
    return FindNext(request) || replaced;
}

int FindSession::ReplaceAll(const FindRequest& request) {
    std::string with;
    const std::optional<CTextFinder> finder = Prepare(request, &with);
    if (!finder) return -1;
    m_area.SyncSelectionToModel();
    int32_t lo = 0, hi = -1;
    if (request.inSelection) {
        ClampRange();
        lo = m_rangeStart;
        hi = m_rangeEnd;
    }
    ReplaceAllResult result;
    {
        EditBatch batch(m_area);
        result = qdm::ReplaceAll(m_area.Model(), *finder, with, lo, hi);
        if (result.count > 0 && request.inSelection) {
            m_rangeEnd += result.count * (static_cast<int32_t>(with.size()) -
                                          static_cast<int32_t>(finder->Length()));
            m_area.Model().SetSelection(m_rangeStart, m_rangeEnd);
        }
        if (result.count > 0) m_area.Model().ScrollToCaret();
    }
    if (result.tooLong) {
        m_prompter.Message(QStringLiteral("替换后的文本超过 2 GB，没有替换"), kCaption);
        return -1;
    }
    if (result.count == 0)
        NotFound(request);
    else
        emit status(QStringLiteral("已替换 %1 处").arg(result.count));
    return result.count;
}

bool FindSession::Repeat(bool backward) {
    if (!m_last) return false;
    FindRequest request = *m_last;
    request.backward = backward;
    FindNext(request);
    return true;
}

}  // namespace qdm::ui
