#include "editor/ui/streamed_insert.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "editor/ui/unit_text.h"

namespace qdm::ui {
namespace {

constexpr size_t kChunkBytes = 1 << 20;
constexpr size_t kChunksAhead = 4;  // bounds the memory the decoder may run ahead with

class ChunkQueue {
  public:
    void Push(QString chunk) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_chunks.size() < kChunksAhead; });
        m_chunks.push_back(std::move(chunk));
        m_ready.notify_one();
    }
    void Finish() {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_ready.notify_one();
    }
    // False once the decoder has finished and every chunk was taken.
    bool Pop(QString& chunk) {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_chunks.empty() || m_finished; });
        if (m_chunks.empty()) return false;
        chunk = std::move(m_chunks.front());
        m_chunks.pop_front();
        m_room.notify_one();
        return true;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_ready, m_room;
    std::deque<QString> m_chunks;
    bool m_finished = false;
};

}  // namespace

void InsertUnitsStreamed(QTextCursor& cursor, std::string_view bytes) {
    ChunkQueue queue;
    std::thread decoder([&queue, bytes] {
        for (size_t pos = 0; pos < bytes.size();)
            queue.Push(DecodeUnitsFrom(bytes, pos, pos + kChunkBytes));
        queue.Finish();
    });
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (QString chunk; queue.Pop(chunk);) cursor.insertText(chunk);
    cursor.endEditBlock();
    decoder.join();
}

}  // namespace qdm::ui
