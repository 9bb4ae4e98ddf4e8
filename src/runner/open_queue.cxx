#include "runner/open_queue.h"

#include <FL/Fl.H>

#include <chrono>

OpenQueue::OpenQueue(AddFn add, DoneFn done, void *data, double sliceSeconds)
    : m_add(add), m_done(done), m_data(data), m_slice(sliceSeconds)
{
}

OpenQueue::~OpenQueue()
{
    Fl::remove_idle(Step, this);
}

void OpenQueue::Add(std::vector<std::string> paths, bool submit)
{
    Batch batch;
    batch.paths = std::move(paths);
    batch.submit = submit;
    m_batches.push_back(std::move(batch));
    if (!Fl::has_idle(Step, this))
        Fl::add_idle(Step, this);
}

std::string OpenQueue::RefusedLine(const Refused &refused, size_t nameMax)
{
    if (refused.count <= 0)
        return "";
    const std::string &path = refused.first;
    std::string name = path.substr(path.find_last_of('/', path.size() - 2) + 1);
    if (name.empty())
        name = path;
    if (name.size() > nameMax) {
        size_t tail = nameMax / 2;
        size_t head = nameMax > tail + 3 ? nameMax - tail - 3 : 0;
        name = name.substr(0, head) + "..." + name.substr(name.size() - tail);
    }
    if (refused.count == 1)
        return "Not added: " + name + ": " + refused.why;
    return std::to_string(refused.count) + " files not added; the first, " + name + ": " +
           refused.why;
}

void OpenQueue::Step(void *data)
{
    static_cast<OpenQueue *>(data)->step();
}

void OpenQueue::step()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(m_slice));
    while (!m_batches.empty() && Clock::now() < end) {
        Batch &batch = m_batches.front();
        if (batch.next < batch.paths.size()) {
            const std::string &path = batch.paths[batch.next++];
            std::string why;
            JobFileKind kind = ClassifyJobFile(path, &why);
            if (kind == JOB_FILE_REFUSED || !m_add(path, kind, &why, m_data)) {
                if (batch.refused.count++ == 0) {
                    batch.refused.first = path;
                    batch.refused.why = why;
                }
            }
            continue;
        }
        Batch done = std::move(batch);
        m_batches.pop_front();
        // Submit may ask in a box, whose loop runs no idle pass: the queue
        // is left whole before.
        if (m_batches.empty())
            Fl::remove_idle(Step, this);
        m_done(done.refused, done.submit, m_data);
        return;
    }
    if (m_batches.empty())
        Fl::remove_idle(Step, this);
}
