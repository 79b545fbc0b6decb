// Work events with the nesting rule: a begin while one is already open for the
// same mode is counted, not reported, and only the outermost end is reported.
#pragma once

#include "ftp/FTPObserver.h"

#include <array>
#include <cstdint>

namespace pordane::ftp {

class WorkReporter {
public:
    void setObserver(FTPObserver* observer) { m_observer = observer; }

    void begin(WorkMode mode, int64_t countMax)
    {
        if (m_depth[index(mode)]++ == 0 && m_observer)
            m_observer->OnWorkBegin(mode, countMax);
    }
    void work(WorkMode mode, int64_t count)
    {
        if (m_depth[index(mode)] > 0 && m_observer)
            m_observer->OnWork(mode, count);
    }
    void end(WorkMode mode)
    {
        int& depth = m_depth[index(mode)];
        if (depth > 0 && --depth == 0 && m_observer)
            m_observer->OnWorkEnd(mode);
    }
    int depth(WorkMode mode) const { return m_depth[index(mode)]; }

private:
    static size_t index(WorkMode mode) { return mode == WorkMode::wmRead ? 0 : 1; }
    FTPObserver* m_observer = nullptr;
    std::array<int, 2> m_depth{};
};

} // namespace pordane::ftp
