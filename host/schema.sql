-- The host reservation database: the eight host tables the plug-in reads and
-- writes, and the plug-in's own record of the room stays it imported.
-- Dates are REAL days since 1899-12-30 (declared "REAL DATETIME"), money REAL
-- amounts ("REAL MONEY"), Booleans 0/1 integers ("INTEGER BOOLEAN", NULL allowed).

CREATE TABLE "RoomType" (
  "RoomNo" TEXT,
  "RoomType" INTEGER,
  "CalOccupancy" TEXT,
  "RoomSortNo" TEXT,
  "DoubleRate" REAL MONEY
);
CREATE INDEX "RoomType_RoomNo" ON "RoomType" ("RoomNo");
CREATE INDEX "RoomType_RoomType" ON "RoomType" ("RoomType");

CREATE TABLE "Occupancy" (
  "OccDate" REAL DATETIME,
  "RoomsOccupied" INTEGER,
  "RoomsAvailable" INTEGER,
  "Type1Occupied" INTEGER,
  "Type2Occupied" INTEGER,
  "Type3Occupied" INTEGER,
  "Type4Occupied" INTEGER,
  "Type5Occupied" INTEGER,
  "Type6Occupied" INTEGER,
  "Type7Occupied" INTEGER,
  "Type8Occupied" INTEGER,
  "Type9Occupied" INTEGER,
  "Type10Occupied" INTEGER,
  "Type11Occupied" INTEGER,
  "Type12Occupied" INTEGER,
  "Type13Occupied" INTEGER,
  "Type14Occupied" INTEGER,
  "Type15Occupied" INTEGER,
  "Type16Occupied" INTEGER,
  "Type1Available" INTEGER,
  "Type2Available" INTEGER,
  "Type3Available" INTEGER,
  "Type4Available" INTEGER,
  "Type5Available" INTEGER,
  "Type6Available" INTEGER,
  "Type7Available" INTEGER,
  "Type8Available" INTEGER,
  "Type9Available" INTEGER,
  "Type10Available" INTEGER,
  "Type11Available" INTEGER,
  "Type12Available" INTEGER,
  "Type13Available" INTEGER,
  "Type14Available" INTEGER,
  "Type15Available" INTEGER,
  "Type16Available" INTEGER,
  "CompanyCode" TEXT
);
CREATE INDEX "Occupancy_OccDate" ON "Occupancy" ("OccDate");

CREATE TABLE "OccInventory" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "Type" INTEGER,
  "OccFromDate" REAL DATETIME,
  "OccToDate" REAL DATETIME,
  "Available" INTEGER
);
CREATE INDEX "OccInventory_Type_ID" ON "OccInventory" ("Type", "ID");
CREATE INDEX "OccInventory_Type_OccToDate" ON "OccInventory" ("Type", "OccToDate");

CREATE TABLE "GuestName" (
  "GuestCode" TEXT,
  "GivenName" TEXT,
  "FamilyName" TEXT,
  "CompName" TEXT,
  "Address1" TEXT,
  "Address2" TEXT,
  "City" TEXT,
  "State" TEXT,
  "PhoneNumber" TEXT,
  "Email" TEXT,
  "PostCode" TEXT,
  "Country" TEXT
);
CREATE INDEX "GuestName_GuestCode" ON "GuestName" ("GuestCode");
CREATE INDEX "GuestName_Names" ON "GuestName" ("GivenName", "FamilyName", "Email");

CREATE TABLE "GuestData" (
  "GuestID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "GuestCode" TEXT,
  "GuestGroup" INTEGER,
  "BookingDate" REAL DATETIME,
  "ArrivalDate" REAL DATETIME,
  "DepartureDate" REAL DATETIME,
  "RoomNumber" TEXT,
  "RoomSortNo" TEXT,
  "RoomType" TEXT,
  "TravelAgent" TEXT,
  "TravelBookingNo" TEXT,
  "RoomRateQuoted" REAL MONEY,
  "InclGST" INTEGER BOOLEAN,
  "LockRoomRate" INTEGER BOOLEAN,
  "CheckedIn" INTEGER BOOLEAN,
  "CheckedOut" INTEGER BOOLEAN,
  "Gurantee" INTEGER,
  "NumberAdults" INTEGER,
  "NumberChildren" INTEGER,
  "NoNights" INTEGER,
  "Arrivaltime" REAL DATETIME,
  "TariffCode" TEXT,
  "SpecRequirements" TEXT,
  "Cancelled" INTEGER BOOLEAN
);
CREATE INDEX "GuestData_Room_Arrival" ON "GuestData" ("RoomNumber", "ArrivalDate");
CREATE INDEX "GuestData_BookingDate" ON "GuestData" ("BookingDate");

CREATE TABLE "Group" (
  "RoomNumber" TEXT,
  "ArrivalDate" REAL DATETIME,
  "NumberAdults" INTEGER,
  "NumberChildren" INTEGER,
  "GivenName" TEXT,
  "FamilyName" TEXT,
  "GroupID" INTEGER,
  "MainID" INTEGER
);

CREATE TABLE "GuestNotes" (
  "GuestCode" TEXT,
  "NoteDate" REAL DATETIME,
  "Notes" TEXT
);

CREATE TABLE "OtaResponse" (
  "BookingNo" TEXT,
  "TravelID" TEXT,
  "GuestID" TEXT,
  "ResIDType" TEXT,
  "ResIDValue" TEXT,
  "Valid" INTEGER
);
CREATE INDEX "OtaResponse_BookingNo" ON "OtaResponse" ("BookingNo");

-- One row per booking an import stored, keyed by the reservation (the channel's
-- id, or else travel agent and booking number) and the booking's number in it, with
-- digests of its room stay and of the whole reservation as first offered, so that a
-- reservation offered again is recognised. The plug-in creates it when missing.
CREATE TABLE "OtaImport" (
  "ChannelID" TEXT NOT NULL,
  "TravelAgent" TEXT NOT NULL,
  "TravelBookingNo" TEXT NOT NULL,
  "StayNo" INTEGER NOT NULL,
  "GuestID" INTEGER NOT NULL,
  "ArrivalDate" REAL DATETIME,
  "DepartureDate" REAL DATETIME,
  "RoomTypeCode" TEXT,
  "ImportDate" REAL DATETIME,
  "StayDigest" TEXT,
  "ReservationDigest" TEXT
);
CREATE UNIQUE INDEX "OtaImport_Key" ON "OtaImport" ("ChannelID", "TravelAgent", "TravelBookingNo", "StayNo");
