#pragma once
// What the per-entry decoding needs from the extraction component that drives
// it: the state that outlives one entry (password, cipher keys, CRC register,
// byte totals), two switches, the events raised while decoding, and volume
// switching. The extractor fills it (or derives from it); tests fake it. The
// decoders reach the user only through it, never through the host.

#include "decode/cipher.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tarvik {

class TStream;

struct TDecodeComponent {
  virtual ~TDecodeComponent() = default;

  // Changed only through OnBadPassword; kept for the following entries.
  std::string Password;
  // Set by the password check of an encrypted entry, advanced by its data.
  TCipherKeys CipherKeys;
  // Running CRC of the entry being decoded; its complement is the entry's CRC.
  std::uint32_t CRCRegister = 0xFFFFFFFFu;
  // Sum of the uncompressed sizes of the run's entries, and the part written so
  // far (moved only while OnTotalPercentDone is assigned).
  std::int64_t TotalBytes = 0;
  std::int64_t BytesDone = 0;

  // Let pending window events run once per 32 KB of compressed input (through
  // OnProcessMessages). Off whenever the entry is decoded on any thread but the
  // window's.
  bool DoProcessMessages = true;
  // Give extracted files the entry's stored attributes.
  bool RetainAttributes = true;

  // Events; an empty function means "not assigned".
  // Replaces the built-in cipher for compressed input (not for the header check
  // and not for stored entries).
  std::function<void(std::uint8_t* buffer, int length, const std::string& password)> OnDecrypt;
  // The password was rejected; newPassword holds the current one on entry.
  std::function<void(int fileIndex, std::string& newPassword)> OnBadPassword;
  std::function<void(int percent)> OnFilePercentDone;
  std::function<void(int percent)> OnTotalPercentDone;
  // Set by the owner: lets the pending window events run. The decoders know
  // nothing of windows; the extractor hands this on to its host.
  std::function<void()> OnProcessMessages;

  // Volumes. The defaults describe a single-volume archive.
  // True when the end record's number of this disk is not 0.
  virtual bool SpansVolumes() const { return false; }
  // True when a handler for asking for the next volume is assigned.
  virtual bool CanGetNextDisk() const { return false; }
  // The volume now open, counted from 0.
  virtual int CurrentVolume() const { return 0; }
  // Opens volume `volume` (counted from 1) in place of the current one and
  // returns its stream positioned at its start, or nullptr when none was
  // obtained. May raise EUserCanceled itself.
  virtual TStream* SwapDisk(int volume) {
    (void)volume;
    return nullptr;
  }
};

}  // namespace tarvik
