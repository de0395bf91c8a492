# The unit tests the WebAssembly build leaves out when it runs them under node, each for
# what emscripten's POSIX layer lacks there. Everything else runs as it does natively.
set(PELTRIX_TESTS_EXCLUDED_UNDER_NODE
  # peltrix-convert as a child process and on a pty: fork, exec, openpty
  CliConvert.*
  CliFiles.*
  # decoding in a forked child under setrlimit(RLIMIT_AS): fork, setrlimit
  DecodeWithinMemory.*
  PictureKeep.WholePicturesPastTheBoundTakeNothingLarge
  PictureShrink.FilesPastTheBoundAreReadInPiecesInLittleMemory
  PictureBmp.AbsurdSizeFailsWithoutHugeAllocations
  PictureJpeg.AbsurdSizesFailWithoutHugeAllocations
  PictureJpeg.VeryWidePictureKeepsItsLeftColumns
  PicturePng.AbsurdSizesFailWithoutHugeAllocations
  PicturePng.HugeAncillaryChunkIsNotAllocated
  PicturePng.WidestAllowedPictureDecodesWithinItsMemory
  # a FIFO as the input: mkfifo
  PictureLoad.FileSystemTroubleIsNamed
  PictureLoad.FifoIsRefusedWithoutWaitingForAWriter
  # a full disk made by setrlimit(RLIMIT_FSIZE)
  Writers.WriteErrorIsReportedAndTheOldFileSurvives
  # hard links: node's file system layer has no link()
  PlatformFilesTest.SameFileSeesThroughHardLinksAndOtherSpellings
)
# Without pthreads (PELTRIX_WEB_THREADS=OFF) no worker thread can start: the job's tests.
if(NOT PELTRIX_WEB_THREADS)
  list(APPEND PELTRIX_TESTS_EXCLUDED_UNDER_NODE
    EngineConcurrency.*
    JobStart.*
    CommandsTest.OpenIsRefusedWhileAJobRuns
    CommandsTest.SavesWriteTheFormTheResultWasAssembledIn
    CommandsTest.FailedSaveIsReportedWithPathAndReason
    CommandsTest.OpeningANewPictureKeepsTheOldResultSaveable)
endif()
list(JOIN PELTRIX_TESTS_EXCLUDED_UNDER_NODE ":" excluded)
set(PELTRIX_TEST_FILTER "-${excluded}")
