#include "decode/legacy_methods.h"

#include "decode/decode_context.h"
#include "decode/explode.h"
#include "decode/unreduce.h"
#include "decode/unshrink.h"

namespace tarvik {

TLegacyResult DecodeLegacyEntry(DecodeContext& context, std::uint16_t flags) {
  switch (context.method) {
    case 1:
      return Unshrink(context);
    case 2:
    case 3:
    case 4:
    case 5:
      return Unreduce(context);
    case 6:
      return Explode(context, flags);
    default:
      return TLegacyResult::DataError;
  }
}

}  // namespace tarvik
