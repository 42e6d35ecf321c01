// scry json as text: everything scry knows of the files, as one document for scripts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/Model.h"
#include "model/Plays.h"
#include "text/Text.h"

namespace scry {

// {"files": [...]}: one entry per file, as the README describes it; the same bytes as the whole
// document dumped at once, made a set list and a bank at a time and handed to part as it grows.
void WriteJson(std::string& out, const std::vector<FileModel>& files, bool all, const TextPart& part = {});

// {"type": "Prog", "bank": "I-B", "number": 84, "name": "Clean Trumpet"} ("note" where no record).
nlohmann::ordered_json PlaysJson(const Plays& plays);
// A slot: its number, name, used, what it plays, its settings by key, its fingerprint.
nlohmann::ordered_json SlotJson(const FileModel& file, std::size_t number, const Slot& slot);
// A document as text: two-space indents broken to one, bytes that are no UTF-8 as U+FFFD.
std::string JsonText(const nlohmann::ordered_json& document);

}   // namespace scry
