// Output handed on in pieces, so that a long document is never held whole.
#pragma once

#include <functional>
#include <string>
#include <string_view>

using CTextSink = std::function<void(std::string_view utf8)>;

// Hands the text to the sink once it holds 64 KiB (or, when `last`, anything), and empties it.
inline void PassOn(std::string& text, const CTextSink& sink, bool last = false) {
    if (last ? !text.empty() : text.size() >= 65536) {
        sink(text);
        text.clear();
    }
}
