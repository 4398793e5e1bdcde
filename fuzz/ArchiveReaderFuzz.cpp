// Any bytes as a scenario archive: lookups, the entry walk, the survey made at opening and
// bundle reads must neither crash nor allocate more than the input can decode to, and must
// agree with themselves.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/Archive.h"

namespace {

using namespace vornal;

void require(bool condition) {
    if (!condition) std::abort();
}

// Returns the lookup's result, or -1 for a refused archive.
int lookUp(const std::string& name, MemoryStream& archive, MemoryStream& dest) {
    try {
        return ReadArchiveEntry(name, archive, dest);
    } catch (const StreamError&) {
        require(dest.size() == 0);
        return -1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryStream archive(std::vector<Byte>(data, data + size));
    const std::int64_t bound = MaxDecodedSize(static_cast<std::int64_t>(size));

    std::vector<std::string> names{std::string(kScriptEntryName), "ROOM1.BMP", ""};
    std::vector<std::string> walked;
    bool walkRefused = false;
    bool isArchive = false;
    try {
        isArchive = WalkArchive(archive, [&](const ArchiveEntryInfo& e) {
            require(e.dataOffset + e.dataLength <= static_cast<std::int64_t>(size));
            if (names.size() < 8) names.push_back(e.name);
            walked.push_back(e.name);
            return true;
        });
    } catch (const StreamError&) {
        walkRefused = true;
    }

    // The survey finds what the walk finds, and goes on past damage where it can; what it
    // calls sound lies inside the file and reads.
    const ArchiveSurvey survey = SurveyArchive(archive);
    require(survey.isArchive == (isArchive || walkRefused));
    const std::vector<std::string> damage =
        survey.damageLines([](std::string_view name) { return std::string(name); });
    if (!walkRefused && isArchive) {
        require(damage.empty());
        require(survey.entries.size() == walked.size());
    }
    if (walkRefused) require(!damage.empty());
    std::size_t sound = 0;
    for (const SurveyedEntry& e : survey.entries) {
        if (!e.damage.empty()) continue;
        require(e.nameKnown);
        require(e.info.dataOffset + e.info.dataLength <= static_cast<std::int64_t>(size));
        if (sound++ < 4) {
            MemoryStream data;
            try {
                ReadArchiveData(e.info, archive, data);
                require(data.size() == e.info.unpackedSize);
            } catch (const StreamError&) {
                require(data.size() == 0);  // the decoder refused the data
            }
        }
    }

    for (const std::string& name : names) {
        MemoryStream first, second;
        int r = lookUp(name, archive, first);
        if (r == kArchiveFound) {
            require(first.size() <= bound);
            require(first.position() == 0);
        } else {
            require(first.size() == 0);
        }
        // No state survives a lookup: the second answer is the first.
        require(lookUp(name, archive, second) == r);
        require(first.bytes().size() == second.bytes().size() &&
                std::equal(first.bytes().begin(), first.bytes().end(), second.bytes().begin()));
    }

    for (std::int32_t index : {0, 1, 5}) {
        MemoryStream member;
        archive.setPosition(4);
        try {
            ReadBundleMember(index, archive, member);
            require(member.size() <= static_cast<std::int64_t>(size));
        } catch (const StreamError&) {
        }
    }
    return 0;
}
