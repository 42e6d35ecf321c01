// Reading one PCG file into bankscry's log and listings.
#include "PCG_readK/PCG_readK.h"

#include <memory>

#include "Output/Output.h"
#include "PCG_readK/ListBank.h"
#include "PCG_readK/Walk.h"

void ReadPCG(InputStream& stream, bool topLevelOnly, const std::string& reportFileName)
{
    OpenListings(stream, reportFileName);
    std::unique_ptr<Listing, decltype(&CloseOpenListings)> guard(&ReportFile, &CloseOpenListings);
    try {
        WalkPCG(stream, ListingReceiver(), ProcessWalkMemory(), topLevelOnly);
    } catch (const InputShrankError&) {
        // Listings made from bytes that were no longer the file's are never put in place.
        DiscardListings();
        throw;
    }
    // Normal end: each close may raise; the guard then closes what is still open.
    CloseListings();
}
