// Listing of a loaded bank into the report file and, for set lists, the CSV file.
#pragma once

#include <cstdint>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"
#include "PCG_readK/Walk.h"

// data: a bank buffer of 128 records of the kind's size; kind 1 set lists, 2 programs,
// 3 combinations, any other writes nothing. bankName is used for programs and combinations.
void ListBank(const std::uint8_t* data, ChunkKind kind, const std::string& bankName);
// The same a part at a time: records first to first + count - 1 of the bank, records pointing at
// record first; the parts of a bank come in order, from record 0 to record 127.
void ListBankPart(const std::uint8_t* records, std::size_t first, std::size_t count, ChunkKind kind,
                  const std::string& bankName);

// The walk's receiver of bankscry: every bank it hands on listed with ListBank, every step logged.
const WalkReceiver& ListingReceiver();
