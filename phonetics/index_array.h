#pragma once
// An array of plain values that either owns them, as a freshly built index does, or views them in
// place in a cache file's bytes that someone else keeps alive.

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

template <typename T>
class TIndexArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    TIndexArray() = default;
    TIndexArray(std::vector<T> values)
        : m_owned(std::move(values))
    {}
    TIndexArray(std::initializer_list<T> values)
        : m_owned(values)
    {}

    // An array over values that lie elsewhere; they must outlive it and its copies.
    static TIndexArray View(std::span<const T> values)
    {
        TIndexArray array;
        array.m_view = values;
        array.m_viewing = true;
        return array;
    }

    std::size_t size() const { return m_viewing ? m_view.size() : m_owned.size(); }
    bool empty() const { return size() == 0; }
    const T* data() const { return m_viewing ? m_view.data() : m_owned.data(); }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size(); }
    const T& operator[](std::size_t i) const { return data()[i]; }
    const T& back() const { return data()[size() - 1]; }
    std::span<const T> Span() const { return {data(), size()}; }

    // The values to change in place: a viewed array first becomes a copy of its own.
    std::vector<T>& Owned()
    {
        if (m_viewing) {
            m_owned.assign(m_view.begin(), m_view.end());
            m_view = {};
            m_viewing = false;
        }
        return m_owned;
    }

    friend bool operator==(const TIndexArray& a, const TIndexArray& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    std::vector<T> m_owned;
    std::span<const T> m_view;
    bool m_viewing = false;
};
