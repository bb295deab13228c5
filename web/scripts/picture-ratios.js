// Gives each picture of the page that has not arrived yet the shape its file states (`ratios`, by
// src value: "width / height"), so the page is laid out as it will be once every picture is in
// and its pictures' places are known before they come. The shape is only the fallback of the
// picture's own, and it is taken away again when the picture arrives or fails, leaving the
// document as it was.
(function (ratios) {
    for (var img of document.images) {
        var ratio = ratios[img.getAttribute('src')];
        if (!ratio || img.complete)
            continue;
        var hadStyle = img.hasAttribute('style');
        img.style.aspectRatio = 'auto ' + ratio;
        var done = function () {
            this.style.removeProperty('aspect-ratio');
            if (!hadStyle && !this.getAttribute('style'))
                this.removeAttribute('style');
        };
        img.addEventListener('load', done, { once: true });
        img.addEventListener('error', done, { once: true });
    }
})
