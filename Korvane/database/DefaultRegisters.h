#pragma once
// The factory values of the drive's parameter registers, read from the default parameter
// database: what a drive holds after a reset. The simulated drive seeds its registers
// from them.

#include <QString>

#include <cstdint>
#include <map>

struct RegisterDefault {
    std::uint32_t value = 0;  // two's complement; a 16-bit register uses the low 16 bits
    int width = 16;           // 32: the value spans the register and the next one
    QString code;             // the parameter that defines it
};

// Register address -> default, for axis 1 of the product. Where a "P" code and an "H"
// code share an address, the "P" code's value is taken. Empty when the database cannot
// be read (the reason goes to *error when given).
std::map<std::uint16_t, RegisterDefault> LoadDefaultRegisterValues(const QString& dbPath,
                                                                   int productId = 1,
                                                                   QString* error = nullptr);
