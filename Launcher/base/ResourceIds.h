/* The ids and language of the launcher's resources, for the resource script, the launcher's
   loader, nimbrel-pack and the checks of a built launcher. Plain macros, so that the resource
   compiler reads this file too. They never change: tools that read released launchers rely on
   them. */
#ifndef NIMBREL_RESOURCE_IDS_H
#define NIMBREL_RESOURCE_IDS_H

#define NIMBREL_RESOURCE_LANGUAGE 1033    /* U.S. English, for every resource */
#define NIMBREL_PAYLOAD_MANIFEST_ID 48978 /* RT_RCDATA: the file list with its checksums */
#define NIMBREL_PAYLOAD_BLOB_ID 19266     /* RT_RCDATA: the compressed bytes of every file */
#define NIMBREL_ICON_GROUP_ID 101         /* RT_GROUP_ICON: the program icon */
#define NIMBREL_VERSION_ID 1              /* RT_VERSION: the version block */
#define NIMBREL_APP_MANIFEST_ID 1         /* RT_MANIFEST: the application manifest */

/* Spells an id as text in string literals: NIMBREL_ID_TEXT(NIMBREL_VERSION_ID) is "1". */
#define NIMBREL_ID_TEXT_(id) #id
#define NIMBREL_ID_TEXT(id) NIMBREL_ID_TEXT_(id)

#endif
