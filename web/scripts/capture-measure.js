// Hides the scroll bars and answers the body's scroll size and the number of pictures. When the page is shorter than the
// window, the body of an old-style page still reports the window's height; the content's own
// extent is taken then, so the picture does not depend on the window.
(function () {
    var d = document.documentElement, b = document.body;
    if (!b) return null;
    window.__velmoraOverflow = [d.style.overflow, b.style.overflow];
    d.style.overflow = 'hidden';
    b.style.overflow = 'hidden';
    var w = b.scrollWidth, h = b.scrollHeight;
    if (h <= window.innerHeight) {
        var r = document.createRange();
        r.selectNodeContents(b);
        var box = r.getBoundingClientRect();
        var style = getComputedStyle(b);
        h = Math.ceil(box.bottom + window.scrollY + parseFloat(style.marginBottom || '0')
                      + parseFloat(style.paddingBottom || '0'));
    }
    window.scrollTo(0, 0);
    return [w, h, document.images.length];
})
