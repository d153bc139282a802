#pragma once
// Data places of the server kinds: DATAPLACEMAN holds one hundred places;
// place 0 is the standard place (the system folder), the others become
// usable once named, each with its own data list (DATALIST_EX). The logic
// of the data places dialog and of the data-selection screen's place list.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TDataPlaceRec {
    std::int32_t REC = 0;
    std::int32_t State = 0; // 0 unchanged, 1 new, 2 name or order changed, 9 deleted
    std::int32_t ORDERKBN = 0;
    std::string PATH;
    std::string NAME;
    std::string Spare;
};

using TDataPlaceList = std::vector<TDataPlaceRec>;

class TDataPlaceMan {
public:
    TDataPlaceList List;

    // Reads the places (seeding the hundred rows on first use); false after
    // an error.
    bool LoadDataPlaces(bool namedOnly);
    // Writes the changed entries; errors reach the caller.
    void SaveDataPlaces();
    // The named places' names, each followed by CR.
    std::string GetPlaceNames();
    std::int32_t GetPlaceRec(std::int32_t position) const;
    std::string GetPlacePath(std::int32_t position) const;
    std::int32_t FindPlaceIndex(std::int32_t rec) const;
    std::string GetPlacePathByRec(std::int32_t rec) const;
    // A data folder of the place exists (any error counts as yes).
    bool HasDataInPlace(std::int32_t rec);

    // The dialog's operations on list position `row`; each saves at once.
    // F2: names a new place (creating its folder on the data server).
    bool NewPlace(std::int32_t row);
    bool RenamePlace(std::int32_t row);
    bool DeletePlace(std::int32_t row);
    // F6 (up, -1) and F7 (down, +1); the new position of the row.
    std::int32_t MovePlace(std::int32_t row, int direction);

    struct Keys {
        std::string F2 = "F2:", F3 = "F3:", F5 = "F5:";
        bool UpEnabled = false, DownEnabled = false;
    };
    Keys UpdatePlaceKeys(std::int32_t row) const;

private:
    // Gives the entry its name and state and saves at once.
    bool storeEntry(TDataPlaceRec& entry, const std::string& name, std::int32_t state);
};
