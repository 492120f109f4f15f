// The module's entry point: the table of its functions.
#include "media/taglib/TagLibModule.h"

extern "C" Q_DECL_EXPORT const quaverly::media::TagLibApi* quaverly_taglib_api()
{
    static const quaverly::media::TagLibApi api { quaverly::media::kTagLibAbiVersion,
                                                  &quaverly::media::readArtWithTagLib,
                                                  &quaverly::media::writeTagsWithTagLib };
    return &api;
}
