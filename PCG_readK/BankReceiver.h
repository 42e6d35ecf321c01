// A driver's own use of the banks the walk loads, in place of the listings: how a second program
// builds its model of a file from the very walk that bankscry lists.
#pragma once

#include <cstdint>
#include <string>

#include "Korg_Kronos_Defs/Korg_Kronos_Defs.h"

struct BankReceiver {
    // A bank was loaded (or, for a set-list bank, read as far as the file went): 128 records of
    // the kind's size in data, valid until the walk goes on.
    void (*loaded)(void* context, ChunkId id, ChunkKind kind, const std::uint8_t* data, const std::string& bankName);
    // A program or combination bank failed its size check or was cut short; the walk ends here.
    void (*notLoaded)(void* context, ChunkId id, const std::string& bankName);
    // The file header or the container was refused; reason says which, in words.
    void (*refused)(void* context, const char* reason);
    void* context;
};

// From now on loaded banks go to the receiver and no listing lines are written; nullptr puts
// back the listings.
void ReceiveBanks(const BankReceiver* receiver);
// The receiver in force, or nullptr.
const BankReceiver* ActiveBankReceiver();
