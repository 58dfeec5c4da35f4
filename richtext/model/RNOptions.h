#pragma once

// The option and warning sets a document answers from its control, and the control actions
// it reports.

#include "platform/base/Set.h"

enum class TRNOption {
    rnoAllowSelection,
    rnoSingleClick,
    rnoScrollToEnd,
    rnoClientTextWidth,
    rnoShowCheckpoints,
    rnoShowPageBreaks,
    rnoTagsArePChars,
    rnoAutoCopyText,
    rnoAutoCopyUnicodeText,
    rnoAutoCopyRNF,
    rnoAutoCopyImage,
    rnoAutoCopyRTF,
    rnoFormatInvalidate,
    rnoDblClickSelectsWord,
    rnoRClickDeselects
};
using TRNOptions = TSet<TRNOption>;
constexpr TRNOptions RNDefaultOptions = TRNOptions::FromBits(32421);

enum class TRNFOption {
    rnfoSavePicturesBody,
    rnfoSaveControlsBody,
    rnfoIgnoreUnknownPicFmt,
    rnfoIgnoreUnknownCtrls,
    rnfoConvUnknownStylesToZero,
    rnfoConvLargeImageIdxToZero,
    rnfoSaveBinary,
    rnfoUseStyleNames,
    rnfoSaveBack,
    rnfoLoadBack,
    rnfoSaveTextStyles,
    rnfoSaveParaStyles
};
using TRNFOptions = TSet<TRNFOption>;
constexpr TRNFOptions RNFDefaultOptions = TRNFOptions::FromBits(67);

enum class TRNFWarning {
    rnfwUnknownPicFmt,
    rnfwUnknownCtrls,
    rnfwConvUnknownStyles,
    rnfwConvLargeImageIdx,
    rnfwConvToUnicode,
    rnfwConvFromUnicode,
    rnfwTableDamaged
};
using TRNFWarnings = TSet<TRNFWarning>;

enum class TRNRTFOption {
    rnrtfSaveStyleSheet,
    rnrtfDuplicateUnicode,
    rnrtfSaveEMFAsWMF,
    rnrtfSaveJpegAsJpeg,
    rnrtfSaveBitmapDefault
};
using TRNRTFOptions = TSet<TRNRTFOption>;
constexpr TRNRTFOptions RNRTFDefaultOptions = TRNRTFOptions::FromBits(14);

enum class TRNFReaderStyleMode { rnf_sIgnore, rnf_sInsertMap, rnf_sInsertMerge };

enum class TRNControlAction {
    rncaAfterRNFLoad,
    rncaDestroy,
    rncaMoveToUndoList,
    rncaMoveFromUndoList,
    rncaDestroyInUndoList,
    rncaBeforeRNFSave,
    rncaAfterRNFSave
};
