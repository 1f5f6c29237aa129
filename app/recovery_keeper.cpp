#include "app/recovery_keeper.h"

#include <QCoreApplication>
#include <QDateTime>

#include "app/view.h"
#include "uikit/prompter.h"
#include "uikit/qt_text.h"

namespace qdm::ui {
namespace {

const QString kAppCaption = QStringLiteral("mked");

QString Failure(const qdm::IoStatus& status) {
    return QStringLiteral("无法写入恢复文件“%1”：%2")
        .arg(QFromPath(status.path), QString::fromStdString(status.reason));
}

// Which file the kept text belonged to, so the user knows which work comes back.
QString OriginLine(const qdm::RecoveryOrigin& origin) {
    if (!origin.path.empty()) return QStringLiteral("原文件：%1").arg(QFromPath(origin.path));
    if (!origin.name.empty()) return QStringLiteral("原文件：%1").arg(QFromPath(origin.name));
    return QStringLiteral("原文件：无（从未保存过的新文本）");
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(CmkedView& view, IPrompter& prompter, std::string dir)
    : m_view(view), m_prompter(prompter), m_dir(std::move(dir)) {
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::Tick);
    connect(&m_view, &CmkedView::modifiedChanged, this, &RecoveryKeeper::OnModifiedChanged);
}

// Without EndCleanly the kept text stays for the next start, as after a kill.
RecoveryKeeper::~RecoveryKeeper() {
    if (!m_file) return;
    m_file->SetListener({});
    m_file->Wait();
}

void RecoveryKeeper::Start() {
    std::vector<qdm::LeftRecovery> left = qdm::FindLeftRecoveries(m_dir);
    for (qdm::LeftRecovery& l : left) {
        if (Offer(l)) break;
    }
    // Texts not restored and not declined are released, to be offered at the next start.
    left.clear();
    if (!m_file) {
        qdm::IoStatus status;
        m_file = qdm::RecoveryFile::Create(m_dir, status);
        if (!m_file)
            m_prompter.Message(
                QStringLiteral("无法建立恢复文件“%1”：%2\n未保存的文本在程序意外退出时不能恢复。")
                    .arg(QFromPath(status.path), QString::fromStdString(status.reason)),
                kAppCaption);
    }
    if (!m_file) return;
    m_file->SetListener([this](const qdm::IoStatus& status) {
        QMetaObject::invokeMethod(
            this, [this, status] { OnWritten(status); }, Qt::QueuedConnection);
    });
    m_timer.start();
}

// True when the text was restored.
bool RecoveryKeeper::Offer(qdm::LeftRecovery& left) {
    const QString when =
        QDateTime::fromSecsSinceEpoch(left.time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Escape and the close box choose nothing: the text stays for the next start.
    const int answer = m_prompter.Ask(
        QStringLiteral("发现未保存的文本 (%1)，是否恢复?\n%2").arg(when, OriginLine(left.origin)),
        kAppCaption, {QStringLiteral("是"), QStringLiteral("否")}, -1);
    if (answer == 1) left.Discard();
    if (answer != 0) return false;
    std::string text;
    const qdm::IoStatus status = left.Load(text);
    if (!status) {
        m_prompter.Message(QStringLiteral("无法读取恢复文件“%1”：%2")
                               .arg(QFromPath(status.path), QString::fromStdString(status.reason)),
                           kAppCaption);
        return false;
    }
    m_view.RestoreText(std::move(text), left.origin.path, left.origin.name);
    // The files already hold this text: they become this editor's own.
    m_file = qdm::RecoveryFile::Adopt(std::move(left));
    m_kept = true;
    m_keptState = m_view.Edit().TextState();
    return true;
}

qdm::RecoveryOrigin RecoveryKeeper::Origin() const {
    return {m_view.Edit().GetFilePath(), m_view.m_strFileName};
}

void RecoveryKeeper::Tick() {
    if (!m_file) return;
    const qdm::CEditBox& edit = m_view.Edit();
    if (!edit.IsModified()) {
        OnModifiedChanged(false);
        return;
    }
    if (m_kept && m_keptState == edit.TextState()) return;
    // The copy is all the typing thread pays; the disk is the worker's. A large text is
    // copied into a buffer the worker has touched first, which costs a quarter as much.
    const std::string_view text = edit.Text();
    std::string buffer = m_file->TakeBuffer();
    if (buffer.capacity() < text.size() && text.size() >= kPreparedFrom) {
        if (!m_waitingForBuffer) m_file->Prepare(text.size() + text.size() / 8 + 65536);
        m_waitingForBuffer = true;
        return;
    }
    m_waitingForBuffer = false;
    buffer.assign(text);
    m_file->Write(std::move(buffer), Origin());
    m_kept = true;
    m_keptState = edit.TextState();
}

void RecoveryKeeper::WriteNow() {
    if (!m_file) return;
    const qdm::CEditBox& edit = m_view.Edit();
    if (!edit.IsModified() || (m_kept && m_keptState == edit.TextState() && !m_failing)) {
        m_file->Wait();
        return;
    }
    const qdm::IoStatus status = m_file->WriteNow(std::string(edit.Text()), Origin());
    m_kept = status.ok;
    m_keptState = edit.TextState();
}

void RecoveryKeeper::OnModifiedChanged(bool modified) {
    if (modified || !m_file || (!m_kept && !m_waitingForBuffer)) return;
    m_file->Remove();
    m_kept = false;
    m_waitingForBuffer = false;
}

void RecoveryKeeper::EndCleanly() {
    m_timer.stop();
    if (!m_file) return;
    m_file->Close();
    m_file.reset();
    m_kept = false;
}

void RecoveryKeeper::Wait() {
    // Twice: a prepared buffer's arrival starts the write it was waiting for.
    for (int round = 0; round < 2; ++round) {
        if (m_file) m_file->Wait();
        QCoreApplication::sendPostedEvents(this);
    }
}

void RecoveryKeeper::OnWritten(const qdm::IoStatus& status) {
    if (status) {
        m_failing = false;
        if (m_waitingForBuffer) Tick();  // the buffer may be ready
        return;
    }
    m_kept = false;  // the next tick tries again
    // One box when writing starts to fail; the status bar after that.
    if (!m_failing)
        m_prompter.Message(Failure(status) + QStringLiteral("\n请尽快保存文本。"), kAppCaption);
    else
        emit m_view.statusMessage(Failure(status));
    m_failing = true;
}

}  // namespace qdm::ui
