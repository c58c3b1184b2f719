#pragma once
// Values a reader changes outside its own records (settings, warning budgets), taken once
// and put back after every input.

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace fuzz {

class CSavedValues {
public:
    template <class T>
    void Take(T* value)
    {
        saved_.emplace_back(value, std::string(reinterpret_cast<const char*>(value), sizeof(T)));
    }
    void Restore() const
    {
        for (const auto& [where, bytes] : saved_) memcpy(where, bytes.data(), bytes.size());
    }

private:
    std::vector<std::pair<void*, std::string>> saved_;
};

} // namespace fuzz
