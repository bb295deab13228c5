// Asks again for the local pictures the page draws at a given width whose copy is now too small,
// the document being zoomed to `percent`: the address with the query `key`=percent goes in the
// picture's srcset, at the same density, so it keeps its src, its size and its place while a larger
// copy arrives. A copy's longer edge is one of `edges`; a picture of another size is its original
// (or broken) and is left alone. Answers how many pictures were asked for.
(function (key, percent, edges) {
    var asked = 0;
    for (var img of document.images) {
        if (!img.hasAttribute('width') || img.src.indexOf('file:') != 0)
            continue;
        var longer = Math.max(img.naturalWidth, img.naturalHeight);
        if (img.complete && edges.indexOf(longer) < 0)
            continue;
        if (img.complete && img.naturalWidth >= img.width * percent / 100 * window.devicePixelRatio)
            continue;
        var address = new URL(img.src);
        address.search = '?' + key + '=' + percent;
        img.srcset = address.href + ' 1x';
        ++asked;
    }
    return asked;
})
