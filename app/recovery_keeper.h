#pragma once
// Keeps the view's unsaved text on disk while it is modified, so a killed editor loses
// nothing: every 30 seconds (and on request, e.g. on SIGTERM) a copy goes to this editor's
// recovery file, written on a worker thread; a text that is no longer modified has none.
// At start-up the texts that editors which are gone left behind are offered back.
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "editor/recovery.h"

namespace qdm::ui {

class CmkedView;
class IPrompter;

class RecoveryKeeper : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 30000;
    // Texts from this size on are copied into a buffer the worker got ready.
    static constexpr size_t kPreparedFrom = size_t{1} << 20;

    RecoveryKeeper(CmkedView& view, IPrompter& prompter, std::string dir);
    ~RecoveryKeeper() override;

    // Offers each left text, newest first, until one is restored; then keeps this editor's
    // own text from now on (in the restored one's files, when there is one).
    void Start();
    // Writes the text when it is modified and has changed since the last write.
    void Tick();
    // Writes now and waits, for a process that is about to end.
    void WriteNow();
    // The editor ends cleanly: nothing is kept.
    void EndCleanly();

    void SetInterval(int ms) { m_timer.setInterval(ms); }
    // This editor's files; null before Start, after EndCleanly, or when none could be made.
    const qdm::RecoveryFile* File() const { return m_file.get(); }
    // Waits for the worker to finish what it was given.
    void Wait();

  private:
    bool Offer(qdm::LeftRecovery& left);
    void OnModifiedChanged(bool modified);
    void OnWritten(const qdm::IoStatus& status);
    qdm::RecoveryOrigin Origin() const;

    CmkedView& m_view;
    IPrompter& m_prompter;
    const std::string m_dir;
    std::unique_ptr<qdm::RecoveryFile> m_file;
    QTimer m_timer;
    bool m_kept = false;       // a write of the text has been handed over since the last removal
    uint64_t m_keptState = 0;  // the text state that write carried
    bool m_failing = false;    // the last write failed; the user has been told
    bool m_waitingForBuffer = false;  // a write waits for the worker's buffer
};

}  // namespace qdm::ui
