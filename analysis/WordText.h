#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quibo {

// One of a word's texts (surface, key form, base form, reading), held in 16
// bytes: a word record is what a knowledge base holds most of, and four
// std::strings made it 176 bytes.  Up to 15 bytes (seven EUC-JP characters,
// nearly every word) stay inside; a longer text goes to the heap.  The last
// byte tells which: 15 - length inside, HEAP outside.
class WordText {
public:
    WordText() { setInlineSize(0); }
    WordText(std::string_view text) { construct(text); }
    WordText(const std::string& text) : WordText(std::string_view(text)) {}
    WordText(const char* text) : WordText(std::string_view(text)) {}
    WordText(const WordText& other) { construct(other.view()); }
    WordText(WordText&& other) noexcept
    {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.setInlineSize(0);
    }
    ~WordText() { release(); }

    WordText& operator=(const WordText& other)
    {
        if (this != &other)
            assign(other.view());
        return *this;
    }
    WordText& operator=(WordText&& other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            other.setInlineSize(0);
        }
        return *this;
    }
    WordText& operator=(std::string_view text)
    {
        assign(text);
        return *this;
    }
    WordText& operator=(const std::string& text) { return *this = std::string_view(text); }
    WordText& operator=(const char* text) { return *this = std::string_view(text); }

    void assign(std::string_view text)
    {
        // A text may be a view into this one: overlap is moved, and a heap
        // block is copied out before it is let go.
        if (text.size() <= INLINE_CAPACITY && !isHeap()) {
            std::memmove(m_bytes, text.data(), text.size());
            setInlineSize(text.size());
        } else if (text.size() <= INLINE_CAPACITY) {
            char copy[INLINE_CAPACITY];
            std::memcpy(copy, text.data(), text.size());
            release();
            std::memcpy(m_bytes, copy, text.size());
            setInlineSize(text.size());
        } else if (isHeap() && heapSize() == text.size()) {
            std::memmove(heapData(), text.data(), text.size());
        } else {
            WordText replacement(text);
            *this = std::move(replacement);
        }
    }

    std::string_view view() const
    {
        return isHeap() ? std::string_view(heapData(), heapSize())
                        : std::string_view(reinterpret_cast<const char*>(m_bytes), inlineSize());
    }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return isHeap() ? heapSize() : inlineSize(); }
    bool empty() const { return size() == 0; }
    const char* data() const { return view().data(); }

    friend bool operator==(const WordText& a, const WordText& b) { return a.view() == b.view(); }
    friend bool operator==(const WordText& a, std::string_view b) { return a.view() == b; }

private:
    static constexpr std::size_t INLINE_CAPACITY = 15;
    static constexpr unsigned char HEAP = 0xFF;

    bool isHeap() const { return m_bytes[15] == HEAP; }
    std::size_t inlineSize() const { return INLINE_CAPACITY - m_bytes[15]; }
    void setInlineSize(std::size_t n) { m_bytes[15] = static_cast<unsigned char>(INLINE_CAPACITY - n); }
    char* heapData() const
    {
        char* data;
        std::memcpy(&data, m_bytes, sizeof data);
        return data;
    }
    std::size_t heapSize() const
    {
        std::uint32_t size;
        std::memcpy(&size, m_bytes + 8, sizeof size);
        return size;
    }

    void construct(std::string_view text)
    {
        if (text.size() <= INLINE_CAPACITY) {
            std::memcpy(m_bytes, text.data(), text.size());
            setInlineSize(text.size());
            return;
        }
        // Word texts come from sentences of bounded length; the 32-bit size
        // is checked all the same rather than cut.
        if (text.size() > UINT32_MAX)
            throw std::length_error("WordText: text too long");
        char* data = new char[text.size()];
        std::memcpy(data, text.data(), text.size());
        const auto size = static_cast<std::uint32_t>(text.size());
        std::memcpy(m_bytes, &data, sizeof data);
        std::memcpy(m_bytes + 8, &size, sizeof size);
        m_bytes[15] = HEAP;
    }
    void release()
    {
        if (isHeap()) {
            delete[] heapData();
            setInlineSize(0);
        }
    }

    alignas(8) unsigned char m_bytes[16];
};

static_assert(sizeof(WordText) == 16);

}  // namespace quibo
