// SPDX-License-Identifier: GPL-3.0-or-later
// The namespaces of the elements of a GPX file, followed by the reader
// itself: the parser's own namespace processing builds the full name of every
// element, which costs more than the few declarations a file holds.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gpx {

class NamespaceScopes {
public:
    struct Scope {
        std::size_t level;
        std::string prefix;
        std::string name;
        bool ofDocument;  // the document's namespace, or none (xmlns="")
        std::size_t bytes;
    };

    // Every element looks its prefix up among the declarations in force, so
    // their number is held far above what any real file declares: a file
    // declaring thousands could otherwise make each element cost thousands.
    static constexpr std::size_t kMostInForce = 64;
    // Each declaration is copied, and one may be megabytes long: what the
    // declarations in force may hold in all, past which the reading stops.
    static constexpr std::size_t kMostBytes = 1 << 20;
    static constexpr int kTooLong = -1;

    // Takes the xmlns declarations among an element's attributes (those past
    // kMostInForce are not); the element is at `level` (the root at 0).
    // Returns how many it declared, or kTooLong when they would hold more
    // than kMostBytes.
    int Declare(const char* const* attributes, std::size_t level)
    {
        int declared = 0;
        for (const char* const* a = attributes; a[0] != nullptr && scopes_.size() < kMostInForce; a += 2) {
            const char* name = a[0];
            if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0 || (name[5] != '\0' && name[5] != ':')) continue;
            const std::size_t bytes = std::strlen(name) + std::strlen(a[1]);
            if (bytes > kMostBytes - bytes_) return kTooLong;
            bytes_ += bytes;
            scopes_.push_back({level, name[5] == ':' ? name + 6 : "", a[1], OfDocument(a[1]), bytes});
            ++declared;
        }
        return declared;
    }

    // Forgets the last `count` declarations: those of an element skipped whole.
    void Forget(int count)
    {
        for (; count > 0; --count) Pop();
    }

    // Forgets the declarations of elements at `level` and deeper.
    void Leave(std::size_t level)
    {
        while (!scopes_.empty() && scopes_.back().level >= level) Pop();
    }

    // The declaration of a prefix ("" for the default one) in force; nullptr
    // when none is.
    const Scope* Of(std::string_view prefix) const
    {
        for (auto s = scopes_.rbegin(); s != scopes_.rend(); ++s)
            if (s->prefix == prefix) return &*s;
        return nullptr;
    }

    // The namespace of the document, known once its root is read; the
    // declarations are marked, so that no name is compared again.
    void SetDocument(std::string name)
    {
        document_ = std::move(name);
        for (Scope& s : scopes_) s.ofDocument = OfDocument(s.name);
    }

private:
    bool OfDocument(std::string_view name) const { return name.empty() || name == document_; }

    void Pop()
    {
        bytes_ -= scopes_.back().bytes;
        scopes_.pop_back();
    }

    std::vector<Scope> scopes_;  // outermost first
    std::size_t bytes_ = 0;      // of the declarations in force
    std::string document_;
};

}  // namespace gpx
