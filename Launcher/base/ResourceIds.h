/* The ids and language of the launcher's resources: the resource script, the launcher's loader,
   nimbrel-pack and the checks of a built launcher all take them from here. Plain macros, so that
   the resource compiler reads this file as well as C and C++ do. None of them ever changes: the
   tools that read a released launcher rely on them. */
#ifndef NIMBREL_RESOURCE_IDS_H
#define NIMBREL_RESOURCE_IDS_H

/* U.S. English: every resource of the launcher is in this language. */
#define NIMBREL_RESOURCE_LANGUAGE 1033
/* RT_RCDATA: the file list with its checksums (the manifest). */
#define NIMBREL_PAYLOAD_MANIFEST_ID 48978
/* RT_RCDATA: the compressed bytes of every file (the blob). */
#define NIMBREL_PAYLOAD_BLOB_ID 19266
/* RT_GROUP_ICON: the program icon. */
#define NIMBREL_ICON_GROUP_ID 101
/* RT_VERSION: the version block. */
#define NIMBREL_VERSION_ID 1
/* RT_MANIFEST: the application manifest. */
#define NIMBREL_APP_MANIFEST_ID 1

/* Spells an id as text in string literals, e.g. in help texts: NIMBREL_ID_TEXT(NIMBREL_VERSION_ID).
 */
#define NIMBREL_ID_TEXT_(id) #id
#define NIMBREL_ID_TEXT(id) NIMBREL_ID_TEXT_(id)

#endif
