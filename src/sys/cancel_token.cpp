#include "sys/cancel_token.h"

#include <chrono>
#include <thread>

void CCancelToken::Cancel() {
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_cancelled) return;
    m_cancelled = true;
    for (const auto& abort : m_hooks) abort();
    m_changed.notify_all();
}

void CCancelToken::Reset() {
    const std::lock_guard<std::mutex> guard(m_lock);
    m_cancelled = false;
}

bool CCancelToken::Cancelled() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_cancelled;
}

bool CCancelToken::WaitFor(unsigned long ms) const {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(ms), [this] { return m_cancelled; });
}

CCancelToken::CHook::CHook(const CCancelToken* token, std::function<void()> abort) : m_token(token) {
    if (!m_token) return;
    const std::lock_guard<std::mutex> guard(m_token->m_lock);
    if (m_token->m_cancelled) abort();
    m_at = m_token->m_hooks.insert(m_token->m_hooks.end(), std::move(abort));
}

CCancelToken::CHook::~CHook() {
    if (!m_token) return;
    const std::lock_guard<std::mutex> guard(m_token->m_lock);
    m_token->m_hooks.erase(m_at);
}

bool WaitOrCancel(const CCancelToken* token, unsigned long ms) {
    if (token) return token->WaitFor(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return false;
}
