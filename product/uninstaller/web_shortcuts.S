/* The two internet shortcuts as the setup writes them, to tell the setup's own from others. */
    .section .rdata,"dr"
    .globl _lumora_website_url, _lumora_website_url_end
    .globl _lumora_tutorial_url, _lumora_tutorial_url_end
_lumora_website_url:
    .incbin "Lumora官网.url"
_lumora_website_url_end:
_lumora_tutorial_url:
    .incbin "Lumora视频教程.url"
_lumora_tutorial_url_end:
