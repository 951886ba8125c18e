#include "platform/host_address.h"

#include <algorithm>

namespace kb {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Four numbers of 0 to 255, without leading zeros, between dots.
bool IsIpv4(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        const size_t dot = part < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || dot == 0 || dot > 3) return false;
        int value = 0;
        for (char c : text.substr(0, dot)) {
            if (!IsDigit(c)) return false;
            value = value * 10 + (c - '0');
        }
        if ((dot > 1 && text[0] == '0') || value > 255) return false;
        text.remove_prefix(part < 3 ? dot + 1 : dot);
    }
    return text.empty();
}

// Groups of up to four hex digits between colons, at most one "::", an IPv4 address as the last
// two groups, and a zone after '%'; the resolver judges the rest.
bool IsIpv6(std::string_view text) {
    if (const size_t zone = text.find('%'); zone != std::string_view::npos) {
        if (zone + 1 == text.size()) return false;
        text = text.substr(0, zone);
    }
    if (std::count(text.begin(), text.end(), ':') < 2) return false;
    const size_t doubled = text.find("::");
    if (doubled != std::string_view::npos && text.find("::", doubled + 1) != std::string_view::npos)
        return false;
    size_t groups = 0;
    while (!text.empty()) {
        const size_t colon = text.find(':');
        const std::string_view group = text.substr(0, colon);
        if (colon == std::string_view::npos && group.find('.') != std::string_view::npos) {
            if (!IsIpv4(group)) return false;
            groups += 2;
        } else if (group.size() > 4 || !std::all_of(group.begin(), group.end(), IsHexDigit)) {
            return false;
        } else if (!group.empty()) {
            ++groups;
        }
        text = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    }
    return doubled == std::string_view::npos ? groups == 8 : groups < 8;
}

// Labels of letters, digits, hyphens and underscores between dots (one dot may end it), none
// starting or ending with a hyphen, the last holding a letter.
bool IsHostName(std::string_view text) {
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    if (text.empty() || text.size() > 253) return false;
    std::string_view last;
    while (!text.empty() || last.empty()) {
        const size_t dot = text.find('.');
        last = text.substr(0, dot);
        if (last.empty() || last.size() > 63 || last.front() == '-' || last.back() == '-')
            return false;
        for (char c : last)
            if (!IsLetter(c) && !IsDigit(c) && c != '-' && c != '_') return false;
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    return std::any_of(last.begin(), last.end(), IsLetter);
}

}  // namespace

bool IsHostAddress(std::string_view address) {
    return IsIpv4(address) || IsIpv6(address) || IsHostName(address);
}

}  // namespace kb
