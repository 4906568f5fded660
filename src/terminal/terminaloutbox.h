#pragma once

#include "serial/serialdevice.h"
#include "terminal/macro.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

// What the terminal hands to its session on the line: typed bytes and macros, in the
// order the operator gave them, and the request to stop. The user-interface thread puts,
// the line thread takes; a put wakes the session at once, whether it waits for work or
// for input on the line (wake()).
class TerminalOutbox
{
public:
    struct Item
    {
        bool isMacro = false;
        char key = 0;                // a typed byte
        QList<Macro::Step> macro;    // a macro's plan
    };

    void putKey(char byte) { put({false, byte, {}}); }
    void putMacro(QList<Macro::Step> plan) { put({true, 0, std::move(plan)}); }

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop.store(true);
            m_changed.notify_all();
        }
        m_wake.wake();
    }
    bool stopped() const { return m_stop.load(); }

    // Everything put so far, oldest first; empty when nothing waits.
    std::deque<Item> takeAll()
    {
        std::lock_guard lock(m_mutex);
        m_wake.consume();   // a put after this wakes the next wait again
        std::deque<Item> items;
        items.swap(m_items);
        return items;
    }

    const InputWake &wake() const { return m_wake; }

    // Waits until something is put, stop() is called or the time is up.
    void waitForWork(std::chrono::microseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [this] { return !m_items.empty() || m_stop.load(); });
    }

private:
    void put(Item item)
    {
        {
            std::lock_guard lock(m_mutex);
            m_items.push_back(std::move(item));
            m_changed.notify_all();
        }
        m_wake.wake();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    std::atomic<bool> m_stop{false};
    InputWake m_wake;
};
