// scry uses.
#include "Uses.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "Korg_Kronos_Defs/BankNames.h"
#include "Text.h"
#include "Vocabulary.h"

namespace scry {

namespace {

// A place as a slot holds it.
struct Place {
    SlotType type;
    std::uint8_t bank;
    std::uint8_t number;
};

// The places a text names, for each slot type that has a bank of that name ("I-A" is a program
// bank and a combination bank). None where it is no place.
std::vector<Place> PlacesOf(const std::string& what)
{
    std::vector<Place> places;
    for (const SlotType type : {SlotType::Combi, SlotType::Prog, SlotType::Song}) {
        Place place{type, 0, 0};
        if (PlaceOf(type, what, place.bank, place.number))
            places.push_back(place);
    }
    return places;
}

bool SameName(const std::string& latin1, const std::string& what)
{
    const std::string name = Utf8(latin1);
    return name.size() == what.size() && std::equal(name.begin(), name.end(), what.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}   // namespace

std::size_t WriteUses(std::string& out, const FileModel& file, const std::string& what)
{
    const std::vector<Place> places = PlacesOf(what);
    std::size_t found = 0;
    ForEachSetList(file, [&](const Bank&, std::size_t ordinal, std::size_t i, const SetList& list) {
        for (std::size_t j = 0; j < list.slots.size(); ++j) {
            const Slot& slot = list.slots[j];
            if (!slot.used || !slot.readable)
                continue;
            const SlotFields& fields = slot.fields;
            const Plays plays = WhatSlotPlays(file, fields);
            const bool match =
                places.empty()
                    ? plays.record != nullptr && SameName(plays.record->name, what)
                    : std::any_of(places.begin(), places.end(), [&](const Place& place) {
                          return place.type == fields.type && place.bank == fields.bank && place.number == fields.number;
                      });
            if (!match)
                continue;
            ++found;
            out += SetListLabel(file, ordinal, i) + " " + Quoted(list.name) + "  SLOT " +
                   Pad3(static_cast<unsigned>(j)) + " " + Quoted(slot.name) + "  " + PlaysText(plays) + "\n";
        }
    });
    return found;
}

int RunUses(const Options& options, Console& console)
{
    Session session(console, {options.file}, options.output);
    std::string out;
    const std::size_t found = WriteUses(out, session.Read(0), options.what);
    session.Deliver(out);
    return session.StatusWith(found > 0 ? Success : Differ);
}

}   // namespace scry
