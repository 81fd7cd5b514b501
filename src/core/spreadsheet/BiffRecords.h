#pragma once

#include <QtGlobal>

/// Record types of the BIFF8 workbook stream of an .xls file, shared by the reader and the
/// writer.
namespace Biff {

enum Record : quint16 {
    RecFormula = 0x0006,
    RecEof = 0x000A,
    RecFilePass = 0x002F,
    RecFont = 0x0031,
    RecContinue = 0x003C,
    RecWindow1 = 0x003D,
    RecCodePage = 0x0042,
    RecBoundSheet = 0x0085,
    RecMulRk = 0x00BD,
    RecRString = 0x00D6,
    RecXf = 0x00E0,
    RecSst = 0x00FC,
    RecLabelSst = 0x00FD,
    RecExtSst = 0x00FF,
    RecDimensions = 0x0200,
    RecNumber = 0x0203,
    RecLabel = 0x0204,
    RecBoolErr = 0x0205,
    RecString = 0x0207,
    RecWindow2 = 0x023E,
    RecRk = 0x027E,
    RecStyle = 0x0293,
    RecBof = 0x0809,
};

/// Most data bytes of one record; longer data goes on in CONTINUE records.
inline constexpr int MaxRecordData = 8224;

} // namespace Biff
