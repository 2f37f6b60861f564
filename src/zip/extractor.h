#pragma once
// TZipExtractor: the component through which the rest of the system reads an
// archive. This part opens the archive, reads (or rebuilds) its directory into
// the entry list and the sorted view, caches it while the file is unchanged,
// switches volumes of a numbered set, and answers questions about the entries.

#include "zip/entry_list.h"
#include "zip/exceptions.h"
#include "zip/records.h"

#include "base/buffer_stream.h"
#include "base/persistent.h"

#include "platform/file_handle.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

enum class TUZOverwriteMode : std::uint8_t { Prompt = 0, Always = 1, Never = 2, ifNewer = 3, ifOlder = 4 };
enum class TIncompleteZipMode : std::uint8_t { izAssumeMulti = 0, izAssumeBad = 1, izAssumeNotAZip = 2 };
enum class TMultiMode : std::uint8_t { multiNone = 0, multiRemovable = 1, multiNumberedFiles = 2 };
enum class TSkipReason : std::uint8_t { skipBadPassword = 0, skipKeepExisting = 1, skipCannotCreate = 3 };

struct TOutputPlace;

class TZipExtractor : public TPersistent {
 public:
  static constexpr int kThisVersion = 223;
  static constexpr std::size_t kBufferSize = 8192;
  // Archives are read through a larger buffer: the tail read that finds the
  // end record usually brings in the directory and the entries with it.
  static constexpr std::size_t kArchiveBufferSize = 65536 + 512;
  // Where the scan for local headers starts in a self-extracting ".EXE".
  static constexpr std::int64_t kSfxScanStart = 14000;

  // Events. The sender is the component; an empty function is "not set".
  using TStartUnZipInfoEvent =
      std::function<void(TZipExtractor&, int numFiles, std::int64_t totalBytes, bool& stopNow)>;
  using TPercentEvent = std::function<void(TZipExtractor&, int percent)>;
  using TStartUnZipEvent = std::function<void(TZipExtractor&, int fileIndex, std::string& fName, bool& skip)>;
  using TEndUnZipEvent = std::function<void(TZipExtractor&, int fileIndex, const std::string& fName)>;
  using TPromptForOverwriteEvent =
      std::function<void(TZipExtractor&, bool& overWriteIt, int fileIndex, std::string& fName)>;
  using TSkippingFileEvent =
      std::function<void(TZipExtractor&, TSkipReason reason, const std::string& fName, int fileIndex, bool& retry)>;
  using TBadPasswordEvent = std::function<void(TZipExtractor&, int fileIndex, std::string& newPassword)>;
  using TBadCRCEvent =
      std::function<void(TZipExtractor&, std::uint32_t calcCRC, std::uint32_t storedCRC, int fileIndex)>;
  using TInCompleteZipEvent = std::function<void(TZipExtractor&, TIncompleteZipMode& incompleteMode)>;
  using TGetNextDiskEvent = std::function<void(TZipExtractor&, int nextDisk, std::string& fName)>;
  using TUnZipCompleteEvent = std::function<void(TZipExtractor&, int fileCount)>;
  using TGetNextBufferEvent = std::function<void(TZipExtractor&, char*& buffer, const std::string& fName,
                                                 int amountUsed, int bufferNum, bool& quit)>;
  using TDecryptEvent =
      std::function<void(TZipExtractor&, std::uint8_t* buffer, int length, const std::string& password)>;

  TZipExtractor();
  ~TZipExtractor() override;
  TZipExtractor(const TZipExtractor&) = delete;
  TZipExtractor& operator=(const TZipExtractor&) = delete;

  std::string ClassName() const override { return "TZipExtractor"; }
  // Copies the published settings and every event handler of another extractor.
  void Assign(const TPersistent& source) override;
  // After loading settings: the scratch header takes OEMConvert.
  void Loaded();

  // ---- Published properties ----
  // Always 223: the version cannot be set, loaded settings included.
  int ThisVersion() const { return kThisVersion; }

  const std::string& ZipName() const { return zipName_; }
  // Selecting another archive drops the cached directory, the end record and the
  // open stream. A name ending in "?" asks for the file (EUserCanceled when the
  // dialog is cancelled).
  virtual void SetZipName(const std::string& name);
  // Selects the archive at name (as SetZipName) and reads it through file, just
  // opened for reading by the caller, whose size and modification time
  // (nanoseconds) the caller asked of it: a search opens and asks each
  // document once.
  void SetOpenedZip(const std::string& name, TFileHandle&& file, std::int64_t size, std::int64_t modified);

  const std::string& DestDir() const { return destDir_; }
  // "?" asks for the folder (EUserCanceled when cancelled); one trailing
  // separator is removed.
  void SetDestDir(const std::string& dir);

  const std::string& RootDir() const { return rootDir_; }
  // Compared with the entries' directory parts, so kept in their form: "\"
  // separators, with a trailing one.
  void SetRootDir(const std::string& dir);

  TZipSortMode SortMode() const { return sortMode_; }
  // Takes effect when the directory is next read (or ApplySortMode is called).
  void SetSortMode(TZipSortMode mode) { sortMode_ = mode; }

  bool RecreateDirs() const { return recreateDirs_; }
  void SetRecreateDirs(bool on) { recreateDirs_ = on; }
  TUZOverwriteMode OverwriteMode() const { return overwriteMode_; }
  void SetOverwriteMode(TUZOverwriteMode mode) { overwriteMode_ = mode; }
  const std::vector<std::string>& FilesList() const { return filesList_; }
  std::vector<std::string>& FilesList() { return filesList_; }
  void SetFilesList(const std::vector<std::string>& lines) { filesList_ = lines; }
  bool DoAll() const { return doAll_; }
  void SetDoAll(bool on) { doAll_ = on; }
  TIncompleteZipMode IncompleteZipMode() const { return incompleteZipMode_; }
  void SetIncompleteZipMode(TIncompleteZipMode mode) { incompleteZipMode_ = mode; }
  bool KeepZipOpen() const { return keepZipOpen_; }
  void SetKeepZipOpen(bool on) { keepZipOpen_ = on; }
  bool DoProcessMessages() const { return doProcessMessages_; }
  void SetDoProcessMessages(bool on) { doProcessMessages_ = on; }
  bool RetainAttributes() const { return retainAttributes_; }
  void SetRetainAttributes(bool on) { retainAttributes_ = on; }
  bool ReplaceReadOnly() const { return replaceReadOnly_; }
  void SetReplaceReadOnly(bool on) { replaceReadOnly_ = on; }
  bool FlushFilesOnClose() const { return flushFilesOnClose_; }
  void SetFlushFilesOnClose(bool on) { flushFilesOnClose_ = on; }
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool on) { oemConvert_ = on; }

  virtual bool CheckDiskLabels() const { return checkDiskLabels_; }
  virtual void SetCheckDiskLabels(bool on) { checkDiskLabels_ = on; }
  virtual TMultiMode MultiMode() const { return multiMode_; }
  virtual void SetMultiMode(TMultiMode mode) { multiMode_ = mode; }

  // ---- Events ----
  TStartUnZipInfoEvent OnStartUnZipInfo;
  TPercentEvent OnFilePercentDone;
  TPercentEvent OnTotalPercentDone;
  TStartUnZipEvent OnStartUnZip;
  TEndUnZipEvent OnEndUnZip;
  TPromptForOverwriteEvent OnPromptForOverwrite;
  TSkippingFileEvent OnSkippingFile;
  TBadPasswordEvent OnBadPassword;
  TBadCRCEvent OnBadCRC;
  TInCompleteZipEvent OnInCompleteZip;
  TGetNextDiskEvent OnGetNextDisk;  // set to DefaultGetNextDisk at creation
  TUnZipCompleteEvent OnUnZipComplete;
  TGetNextBufferEvent OnGetNextBuffer;  // declared for completeness; never raised
  TDecryptEvent OnDecrypt;
  // When set, selected entries are decoded into memory and handed to it, with
  // the entry's file name part, instead of being written below DestDir: no
  // file or folder is created or replaced. Everything else about the run —
  // selection, passwords, CRC checks, events — stays as it is.
  using TMemoryOutputEvent =
      std::function<void(TZipExtractor&, int fileIndex, const std::string& name, std::string& data)>;
  TMemoryOutputEvent OnMemoryOutput;
  // With OnMemoryOutput: the decoded bytes go to this handler block by block
  // (at most 32 KB each, straight from the decoder's output stage) instead of
  // being collected, and OnMemoryOutput, raised once the CRC is right, gets
  // an empty string. A handler that throws ends the run with its exception.
  using TMemoryChunkEvent =
      std::function<void(TZipExtractor&, int fileIndex, const std::uint8_t* data, std::size_t count)>;
  TMemoryChunkEvent OnMemoryChunk;

  // The handler installed at creation: a numbered volume file named like the
  // archive with the extension ".NNN"; emptied (cancel) when that file does not
  // exist. For removable drives it asks for the disk.
  static void DefaultGetNextDisk(TZipExtractor& sender, int nextDisk, std::string& fName);

  // ---- Opening ----
  // Opens the archive if it is not open and reads the directory unless the
  // cached one is still current.
  void OpenArchive();
  // Frees the archive stream unless KeepZipOpen.
  void CloseArchive();
  // Drops everything about the archive, ZipName included.
  void ClearArchive();
  // Opens the archive and reads its directory under the busy cursor, closing it
  // again afterwards. An incomplete archive is retried after OnInCompleteZip has
  // chosen another mode, and otherwise left for the next OpenArchive to report;
  // any other failure clears the component and propagates.
  void ReadDirectoryRetrying();
  // Builds the view of the entries in mode and makes it the SortMode.
  void ApplySortMode(TZipSortMode mode);

  // ---- Extraction ----
  // During OnStartUnZip: whether decoding the entry being started could end
  // only with the entry done or passed over for its CRC, never with an
  // exception or a message. So it is when the entry is stored or deflated, not
  // encrypted, and its data lies wholly within a single-volume archive.
  bool EntryDecodesQuietly() const;
  // Whether a run selects the entry: with DoAll, or when a FilesList pattern
  // matches its stored path (IsMatch, letter case not counting). An entry
  // without a file name part (a folder) only while RecreateDirs is on. With
  // DoAll a run takes up every entry of the view, selected or not.
  bool Selects(const TZipHeaderInfo& entry) const;
  // Extracts the entries of the view that DoAll or a FilesList pattern selects
  // into DestDir and returns how many were extracted. Failures of the whole
  // archive are raised; per-entry trouble goes to the events. FilesList is
  // empty afterwards.
  int ExtractFiles();

  // ---- The entries (indexes refer to the view) ----
  // Entries in the directory; 0 without one.
  int Count() const;
  // The entry at a view index; EListError "Index %d is out of range" outside.
  const TZipHeaderInfo& Entry(int index) const;
  // The entry's file name part.
  std::string FileName(int index) const { return Entry(index).FileName(); }
  // The entry's comment, read from the archive on first request.
  std::string FileComment(int index);
  // The archive comment, read on first request.
  std::string ZipComment();
  const TEndCentral& EndCentral() const { return endCentral_; }
  bool DirectoryLoaded() const { return mainList_ != nullptr; }

  // ---- Volumes ----
  // Replaces the open volume by volume n (counted from 1), asking OnGetNextDisk
  // for its name; EUserCanceled when the handler gives none. Returns the new
  // archive stream.
  TStream* SwapDisk(int n);
  // True unless volumes are removable disks; then the disk's label must end in n.
  bool DiskLabelMatches(int n) const;
  int CurrentVolume() const { return currentVolume_; }
  int VolumeCount() const { return volumeCount_; }

 protected:
  struct TExtractRun;
  // One extraction over the open archive; the count of extracted entries.
  // Ends with EndRun, also when an exception leaves it, and then passes the
  // exception on.
  int RunExtraction();
  // The run's selection and extraction of the selected entries.
  void ExtractSelected(TExtractRun& run);
  // The end of every run, called on the ordinary path (never while an
  // exception unwinds): FilesList emptied, the sort mode and KeepZipOpen
  // restored, OnUnZipComplete raised with the count. Then failure, or else
  // the first failure of these steps, is raised.
  void EndRun(TExtractRun& run, bool keepOpen, TZipSortMode sortMode, std::exception_ptr failure);
  // Extracts view index i; sets run.context.retry when a new password is to be tried.
  void ExtractEntry(int index, TExtractRun& run);
  // Reads the local header of a listed entry into localHeader_ and leaves the
  // archive behind its name and extra field; false when the entry's offset
  // leads to no complete header.
  bool ReadLocalHeaderLengths(const TZipHeaderInfo& entry, std::uint16_t& nameLength, std::uint16_t& extraLength);
  // The folder every output path starts from: DestDir, or "." for an empty one
  // (never the file system's root).
  std::string OutputRoot() const;
  // The folder an entry goes to, with "/" separators and a trailing "/"; empty
  // when the stored folder would lead out of DestDir.
  std::string BuildOutputFolder(const TZipHeaderInfo& entry) const;
  // Opens an output folder, made with its missing parents; below DestDir each
  // one is reached from DestDir's descriptor and must be a real folder, not a
  // link. An empty handle when that fails.
  TFileHandle OpenOutputFolder(std::string folder) const;
  // Whether the output folder is there (made when missing) afterwards.
  bool MakeOutputFolder(const std::string& folder) const;
  // The folder of FName, opened as OpenOutputFolder does, and FName's last
  // component; false when either is not to be had.
  bool OpenOutputPlace(const std::string& fName, TOutputPlace& place) const;
  // Whether the file at the place may give way to the output: not a folder,
  // not read-only (unless ReplaceReadOnly), and writable by this user; a link
  // always may.
  bool MayBeReplaced(const TOutputPlace& place) const;
  // Creates the output file under a temporary name in the place's folder when
  // the file at the place may be replaced; nullptr when it cannot be created.
  std::unique_ptr<TStream> CreateOutput(TOutputPlace& place, const std::string& fName) const;
  // Renames the finished output over the place's name; false when that fails.
  static bool PutOutputInPlace(TOutputPlace& place);
  // Removes the finished output and what stands at the place's name.
  static void DiscardOutput(TOutputPlace& place);
  // Whether an existing output file (or a link in its place) is to be
  // replaced, per OverwriteMode.
  bool MayReplace(int index, const TZipHeaderInfo& entry, std::string& fName, const TOutputPlace& place);
  void SkipEntry(TExtractRun& run, TSkipReason reason, const std::string& fName, int index);

  // Reads the directory into the main list and builds the view.
  void ReadDirectory();
  // Scans for local headers and lists them; at most once per reading.
  bool RebuildFromLocalHeaders();
  // Drops the view and the main list.
  void DropDirectory();
  // Makes name the archive, with nothing read of it yet.
  void SelectArchive(const std::string& name);
  // Opens the archive stream when it is not open.
  void EnsureArchiveOpen();
  std::optional<std::int64_t> ArchiveModificationTime() const;
  TSortedZip& View() const { return *view_; }

  // Settings.
  std::string zipName_;
  std::string destDir_;
  std::string rootDir_;
  TZipSortMode sortMode_ = TZipSortMode::ByNone;
  bool recreateDirs_ = false;
  TUZOverwriteMode overwriteMode_ = TUZOverwriteMode::Prompt;
  std::vector<std::string> filesList_;
  bool doAll_ = false;
  TIncompleteZipMode incompleteZipMode_ = TIncompleteZipMode::izAssumeMulti;
  bool keepZipOpen_ = false;
  bool doProcessMessages_ = true;
  bool retainAttributes_ = true;
  bool replaceReadOnly_ = false;
  bool flushFilesOnClose_ = false;
  bool oemConvert_ = true;
  bool checkDiskLabels_ = true;

  // The open archive and what was read from it.
  std::string password_;
  std::unique_ptr<TBufferedFileStream> archive_;
  std::unique_ptr<TSortedZip> mainList_;    // owns the entries, physical order
  std::unique_ptr<TSortedZip> sortedView_;  // the view when SortMode is not ByNone
  TSortedZip* view_ = nullptr;
  TEndCentral endCentral_;
  TZipHeaderInfo scratchHeader_;
  std::uint8_t localHeader_[kLocalHeaderSize] = {};
  TMultiMode multiMode_ = TMultiMode::multiNone;
  int currentVolume_ = 0;
  int volumeCount_ = 1;
  std::optional<std::int64_t> archiveModified_;
  // The file SetOpenedZip handed over, until the archive stream takes it; then
  // the stream it became and the file's state as the caller asked it.
  TFileHandle openedFile_;
  std::int64_t openedSize_ = 0;
  std::int64_t openedModified_ = 0;
  const TBufferedFileStream* openedStream_ = nullptr;
  bool rebuildDone_ = false;
  // The ".zfc" copy of the directory while ReadDirectory reads from it.
  std::unique_ptr<TBufferedFileStream> zfc_;

 private:
  // Steps of ReadDirectory: finds and checks the end record (or the ".zfc"
  // copy, or rebuilds) and returns the stream positioned at the first central
  // header; reads the central headers into the main list; reads the archive
  // comment when it cannot be fetched later.
  TStream* LocateDirectory();
  void ReadCentralHeaders(TStream* directory);
  void ReadArchiveCommentNow();
  // The next-volume step handed to ReadCentralHeader: nullptr past the last volume.
  TStream* NextVolume();
  // Reads the comment of one entry, or of the archive, from its recorded place.
  std::string ReadCommentAt(std::int64_t position, std::size_t length);
};

}  // namespace tarvik
