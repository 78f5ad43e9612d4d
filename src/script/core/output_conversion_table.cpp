// PRINT conversions: letter x value width -> the constant format that prints it.
#include "script/core/output_format.h"

const PrintConversionRow PrintConversions[] = {
    //        byte                        word                        long                           double
    {'C', {{"%c", PrintArg::Char}, {"%c", PrintArg::Char}, {"%c", PrintArg::Char}, {"%c", PrintArg::Char}}},
    {'D', {{"%d", PrintArg::Int}, {"%d", PrintArg::Int}, {"%ld", PrintArg::Long}, {"%lld", PrintArg::LongLong}}},
    {'U', {{"%u", PrintArg::UInt}, {"%u", PrintArg::UInt}, {"%lu", PrintArg::ULong}, {"%llu", PrintArg::ULongLong}}},
    {'X',
     {{"%02X", PrintArg::UInt},
      {"%04X", PrintArg::UInt},
      {"%08lX", PrintArg::ULong},
      {"%016llX", PrintArg::ULongLong}}},
    {'F',
     {{"%.3f", PrintArg::Double}, {"%.3f", PrintArg::Double}, {"%.3f", PrintArg::Double}, {"%.3f", PrintArg::Double}}},
    {'E', {{"%E", PrintArg::Double}, {"%E", PrintArg::Double}, {"%E", PrintArg::Double}, {"%E", PrintArg::Double}}},
    {'G', {{"%G", PrintArg::Double}, {"%G", PrintArg::Double}, {"%G", PrintArg::Double}, {"%G", PrintArg::Double}}},
    {0, {}},
};
