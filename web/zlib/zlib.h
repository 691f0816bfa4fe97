// The one zlib call that the core's PNG chunk check makes, for the browser build, which has no
// zlib of its own (see web/crc32.cpp).
#pragma once

typedef unsigned long uLong;
typedef unsigned int uInt;
typedef unsigned char Bytef;

extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len);
