#pragma once

#include <cstdint>

namespace kordan {

// The command codes a button or a lever zone stores as its `Funktion`. Profiles and axis
// files keep them as numbers, so the values never change.
namespace ZusiSendKonstanten {

inline constexpr int32_t KeinBefehl = 0;
inline constexpr int32_t Schummelfenster = 1;
inline constexpr int32_t Pause = 2;
inline constexpr int32_t Autopilot = 3;
inline constexpr int32_t ReinerStreckenblick = 4;
// Has a key but no text: never offered for selection.
inline constexpr int32_t OhneText = 5;
inline constexpr int32_t Fahrplan = 6;
inline constexpr int32_t InfoFenster = 7;
inline constexpr int32_t Zeitraffer = 8;
inline constexpr int32_t ZeitsprungBisAbfahrt = 9;
inline constexpr int32_t Signalzoom = 10;
inline constexpr int32_t AnsichtFuehrerstand = 11;
inline constexpr int32_t AnsichtAussenVorne = 12;
inline constexpr int32_t AnsichtAussenHinten = 13;
inline constexpr int32_t FahrschalterAuf = 14;
inline constexpr int32_t FahrschalterAb = 15;
inline constexpr int32_t FahrschalterNull = 16;
inline constexpr int32_t DynBremseAuf = 17;
inline constexpr int32_t DynBremseAb = 18;
inline constexpr int32_t DynBremseNull = 19;
inline constexpr int32_t AfbAuf = 20;
inline constexpr int32_t AfbAb = 21;
inline constexpr int32_t AfbNull = 22;
inline constexpr int32_t AfbEinAus = 23;
inline constexpr int32_t BremsventilBremsen = 24;
inline constexpr int32_t BremsventilLoesen = 25;
inline constexpr int32_t ZusatzbremseBremsen = 26;
inline constexpr int32_t ZusatzbremseLoesen = 27;
inline constexpr int32_t Pfeife = 28;
inline constexpr int32_t SiFa = 29;
inline constexpr int32_t PzbWachsam = 30;
inline constexpr int32_t PzbFrei = 31;
inline constexpr int32_t PzbBefehl = 32;
inline constexpr int32_t HauptschalterEinAus = 33;
inline constexpr int32_t MotorEinAus = 34;
inline constexpr int32_t SandEinAus = 35;
inline constexpr int32_t MagnetbremseEinAus = 36;
inline constexpr int32_t Schnellbremsung = 37;
inline constexpr int32_t Glocke = 38;
inline constexpr int32_t Tueren = 39;
inline constexpr int32_t Schleuderschutz = 40;
inline constexpr int32_t FahrtrichtungVor = 41;
inline constexpr int32_t FahrtrichtungZurueck = 42;
inline constexpr int32_t FahrmotorenluefterEinAus = 43;
inline constexpr int32_t Licht = 44;
inline constexpr int32_t BlockBisStreckeFrei = 45;

inline constexpr int32_t RegelbereichFahrschalter = 1000;
inline constexpr int32_t RegelbereichEHBremse = 1001;
inline constexpr int32_t RegelbereichBremse = 1002;
inline constexpr int32_t RegelbereichAfb = 1003;

inline constexpr int32_t ErsterEinzelbefehl = 1;
inline constexpr int32_t LetzterEinzelbefehl = 45;
inline constexpr int32_t ErsterRegelbefehl = 1000;
inline constexpr int32_t LetzterRegelbefehl = 1003;

// Entries of the key table: one per code 0-45.
inline constexpr int32_t KeyTableSize = 46;

} // namespace ZusiSendKonstanten

// The two window messages the simulator's window receives; backends translate them.
namespace WM_Const {

inline constexpr uint32_t WM_KEYDOWN = 256;
inline constexpr uint32_t WM_KEYUP = 257;

} // namespace WM_Const

} // namespace kordan
