/* The window's pictures, carried as complete files in read-only data. */
    .section .rdata,"dr"

    .p2align 2
side_picture_begin:
    .incbin "side.jpg"
side_picture_end:

    .p2align 2
logo_begin:
    .incbin "logo.jpg"
logo_end:

    .p2align 2
folder_icon_begin:
    .incbin "folder.ico"
folder_icon_end:

/* host::ImageData records: { bytes, size } */
    .p2align 2
    .globl __ZN6wizard12kSidePictureE
__ZN6wizard12kSidePictureE:
    .long side_picture_begin, side_picture_end - side_picture_begin
    .globl __ZN6wizard5kLogoE
__ZN6wizard5kLogoE:
    .long logo_begin, logo_end - logo_begin
    .globl __ZN6wizard11kFolderIconE
__ZN6wizard11kFolderIconE:
    .long folder_icon_begin, folder_icon_end - folder_icon_begin
