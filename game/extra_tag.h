#pragma once

#include <memory>
#include <string>

// A tag the program does not interpret, kept to be written back unchanged. A list
// of them hangs from a game document; destroying one destroys the rest of the list,
// iteratively.
class ExtraTag {
public:
    ExtraTag(std::u16string name, std::u16string value);
    ~ExtraTag();

    ExtraTag(const ExtraTag&) = delete;
    ExtraTag& operator=(const ExtraTag&) = delete;

    std::u16string value;
    std::u16string name;
    std::unique_ptr<ExtraTag> next;
};
